#include "lists/giudice.h"

#include <algorithm>
#include <optional>

#include "engine/esame.h"
#include "engine/testo.h"

namespace nodrel {

namespace {

using NODREL1::Utf16;

// Rifilata for a cell that starts or ends with something other than printable ASCII.
std::string_view RifilataAdagio(std::string_view cella) {
    // The length of the blank that starts `t`, or 0.
    auto bianco = [](std::string_view t) -> std::size_t {
        const auto b = static_cast<unsigned char>(t[0]);
        const std::size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
        if (n == 0 || n > t.size()) {
            return 0;
        }
        char32_t c = n == 1 ? b : b & (0x7F >> n);
        for (std::size_t i = 1; i < n; ++i) {
            c = c << 6 | (static_cast<unsigned char>(t[i]) & 0x3F);
        }
        return c < 0x10000 && NODREL1::Spazio(static_cast<char16_t>(c)) ? n : 0;
    };
    while (!cella.empty()) {
        const std::size_t n = bianco(cella);
        if (n == 0) {
            break;
        }
        cella.remove_prefix(n);
    }
    while (!cella.empty()) {
        // A character's first byte is the last one that is not a continuation byte.
        std::size_t k = cella.size() - 1;
        while (k > 0 && cella.size() - k < 4 &&
               (static_cast<unsigned char>(cella[k]) & 0xC0) == 0x80) {
            --k;
        }
        if (bianco(cella.substr(k)) != cella.size() - k) {
            break;
        }
        cella.remove_suffix(cella.size() - k);
    }
    return cella;
}

// A cell without the blanks of any kind around it (a no-break space copied after a code, a
// byte-order mark): they are no part of what the clerk typed.
inline std::string_view Rifilata(std::string_view cella) {
    // Most cells start and end with a printable ASCII character: told here, without a call.
    const auto stampabile = [](char c) { return c > ' ' && c < '\x7F'; };
    if (cella.empty() || (stampabile(cella.front()) && stampabile(cella.back()))) {
        return cella;
    }
    return RifilataAdagio(cella);
}

// Why a person cannot be composed; an empty cell (or no such column) is told as missing, not
// as wrong.
std::string_view Rifiutato(const NODREL1::Rifiuto& r, const NODREL1::Persona& p) {
    switch (r.campo) {
        case NODREL1::Campo::Text2:
            return "cognome mancante";
        case NODREL1::Campo::Text3:
            return "nome mancante";
        case NODREL1::Campo::Text5:
        case NODREL1::Campo::Text6:
            return NODREL1::SenzaSpaziEsterni(p.luogo).empty() ? "comune di nascita mancante"
                                                               : "comune di nascita non in elenco";
        default:
            return NODREL1::SenzaSpaziEsterni(p.data).empty() ? "data di nascita mancante"
                                                              : "data di nascita non valida";
    }
}

void Nota(std::string& note, std::string_view testo) {
    if (!note.empty()) {
        note += ", ";
    }
    note += testo;
}

constexpr std::string_view kOmonimo = "comune omonimo: indicare la provincia";

}  // namespace

void Giudice::Giudica(RigaGiudicata& r, const FormaElenco& forma, std::uint64_t riga,
                      bool confronta) {
    VoceElenco& v = r.voce;
    auto cella = [&r](int i) {
        return i >= 0 && static_cast<std::size_t>(i) < r.celle.size()
                   ? Rifilata(r.celle[static_cast<std::size_t>(i)])
                   : std::string_view();
    };
    r.codice = true;
    r.diretto = false;
    r.omocodia = 0;
    r.luogoGiudicato = false;
    r.note.clear();
    v.riga = riga;
    v.celle = r.celle;
    v.calcolato = false;
    v.rifiuto = {};
    v.note = {};
    v.nonCorrisponde = false;
    v.differenze = {};
    for (std::size_t i = 0; i < kColonnePersona; ++i) {
        v.persona[i] = cella(forma.persona[i]);
    }
    v.codice = cella(forma.codice);
    if (v.codice.empty() && forma.Persone()) {
        Componi(r, forma);
        return;
    }
    // Sixteen capitals and digits are judged where they lie; anything else is compacted first.
    const NODREL1::Giudizio giudizio =
        v.codice.size() == NODREL1::kLunghezzaPersonale
            ? NODREL1::GiudicaPersonale(reinterpret_cast<const unsigned char*>(v.codice.data()),
                                        r.chiave)
            : NODREL1::Giudizio(static_cast<std::uint32_t>(NODREL1::Difetto::Carattere));
    r.diretto = giudizio.Tipo() != NODREL1::Difetto::Carattere;
    if (r.diretto) {
        v.esame = giudizio.InEsame();
        if (!v.esame.Corretto()) {
            return;
        }
        if (v.esame.omocodico) {
            r.omocodia = NODREL1::Omocodia(v.codice.data());
        }
    } else {
        const NODREL1::CodiceCompatto k = NODREL1::Compatta(v.codice);
        v.esame = NODREL1::Esamina(k);
        if (!v.esame.Corretto()) {
            return;
        }
        r.chiave = NODREL1::Chiave(k, v.esame.numerico);
        if (v.esame.omocodico) {
            r.omocodia = NODREL1::Omocodia(k.c.data());
        }
    }
    if (confronta && forma.Persone() && !v.esame.numerico) {
        Confronta(r, forma);
    }
}

// A person without a code: the code is composed as the main window would, and a sex that is
// not one, or a homonym the province does not tell apart, is a reason, never a guess.
void Giudice::Componi(RigaGiudicata& r, const FormaElenco& forma) {
    VoceElenco& v = r.voce;
    const NODREL1::Registro* registro = registro_ != nullptr ? registro_->Prendi() : nullptr;
    char sedici[NODREL1::kLunghezzaPersonale];
    bool luogo = false;
    NODREL1::SceltaComune scelta;
    if (rapido_ && registro != nullptr &&
        Rapido(v, forma, *registro, nullptr, sedici, luogo, scelta)) {
        r.calcolato.assign(sedici, std::size(sedici));
        v.calcolato = true;
        v.codice = r.calcolato;
        v.esame =
            NODREL1::GiudicaPersonale(reinterpret_cast<const unsigned char*>(sedici), r.chiave)
                .InEsame();
        r.diretto = true;
        r.luogoGiudicato = true;
        v.luogo = scelta.nonInVigore ? Luogo::NonInVigore : Luogo::Noto;
        return;
    }
    NODREL1::Persona p = PersonaDi(v);
    const std::u16string_view sesso = NODREL1::LeggiSesso(Utf16(v.Persona(ColonnaPersona::Sesso)));
    p.sesso = sesso.empty() ? u"M" : sesso;  // so that the other fields are judged first
    const NODREL1::Composizione c = NODREL1::Componi(p, registro, oggi_);
    v.calcolato = true;
    v.esame = NODREL1::Esame{};
    v.esame.difetto = NODREL1::Difetto::Lunghezza;
    const bool nomi = !c.rifiuto || c.rifiuto->campo == NODREL1::Campo::Text2 ||
                      c.rifiuto->campo == NODREL1::Campo::Text3;
    if (c.rifiuto && nomi) {
        v.rifiuto = Rifiutato(*c.rifiuto, p);
    } else if (sesso.empty()) {
        v.rifiuto =
            forma.Colonna(ColonnaPersona::Sesso) >= 0 && !v.Persona(ColonnaPersona::Sesso).empty()
                ? "sesso non valido"
                : "sesso mancante";
    } else if (c.rifiuto) {
        v.rifiuto = Rifiutato(*c.rifiuto, p);
    } else if (c.omonimo) {
        v.rifiuto = kOmonimo;
    }
    if (!v.rifiuto.empty()) {
        return;
    }
    r.calcolato.clear();
    for (char16_t x : c.codice) {
        if (x != u' ') {
            r.calcolato += static_cast<char>(x);
        }
    }
    v.codice = r.calcolato;
    const NODREL1::CodiceCompatto k = NODREL1::Compatta(v.codice);
    v.esame = NODREL1::Esamina(k);
    r.chiave = NODREL1::Chiave(k, false);
    r.diretto = true;
    r.luogoGiudicato = true;
    v.luogo = c.nonInVigore ? Luogo::NonInVigore : Luogo::Noto;
}

// A right code beside its person: compared with the code the person's data give, group by
// group, for the groups whose columns the list has and fills. What a missing column would give
// is taken from the code itself, so that it differs nowhere; a cell that cannot be read is
// told in a note and its group left out.
void Giudice::Confronta(RigaGiudicata& r, const FormaElenco& forma) {
    VoceElenco& v = r.voce;
    const NODREL1::Registro* registro = registro_ != nullptr ? registro_->Prendi() : nullptr;
    // Most rows hold their person's own code: composed from the bytes, it is found the same.
    if (rapido_ && registro != nullptr && v.codice.size() == NODREL1::kLunghezzaPersonale) {
        char sedici[NODREL1::kLunghezzaPersonale];
        bool luogo = false;
        NODREL1::SceltaComune scelta;
        if (Rapido(v, forma, *registro, v.codice.data(), sedici, luogo, scelta) &&
            v.codice == std::string_view(sedici, std::size(sedici))) {
            r.luogoGiudicato = luogo;
            if (luogo) {
                v.luogo = scelta.nonInVigore ? Luogo::NonInVigore : Luogo::Noto;
            }
            return;
        }
    }
    const std::u16string codice = Utf16(v.codice);
    auto presente = [&](ColonnaPersona c) { return forma.Colonna(c) >= 0; };
    auto pieno = [&](ColonnaPersona c) { return !v.Persona(c).empty(); };
    NODREL1::Persona p = PersonaDi(v);
    const NODREL1::DataLetta nascita = NODREL1::LeggiDataNascita(p.data, oggi_);
    bool data = pieno(ColonnaPersona::Data) && nascita.Valida();
    // The code's own date stands in for a missing one, in the century its municipality had
    // then, which asks the register; otherwise only the code's letters are read.
    const std::optional<NODREL1::DatiCodice> letto =
        data ? NODREL1::LeggiCodice(codice, oggi_)
             : NODREL1::Decodifica(codice, registro, oggi_).dati;
    if (!letto) {
        return;
    }
    const NODREL1::DatiCodice& dati = *letto;

    const bool cognome = pieno(ColonnaPersona::Cognome);
    const bool nome = pieno(ColonnaPersona::Nome);
    if (!cognome) {
        p.cognome = u"X";
    }
    if (!nome) {
        p.nome = u"X";
    }
    std::u16string_view sesso = NODREL1::LeggiSesso(Utf16(v.Persona(ColonnaPersona::Sesso)));
    if (presente(ColonnaPersona::Sesso) && sesso.empty()) {
        Nota(r.note, pieno(ColonnaPersona::Sesso) ? "sesso non valido" : "sesso mancante");
    }
    p.sesso = sesso.empty() ? (dati.donna ? u"F" : u"M") : sesso;
    if (pieno(ColonnaPersona::Data) && !data) {
        Nota(r.note, "data di nascita non valida");
    }
    if (!data) {
        p.data = dati.data;
    }
    // The place: the municipality the cells name on the date of birth; without it the code's
    // own, judged with no register so that no name is looked up.
    bool luogo = pieno(ColonnaPersona::Comune) && registro != nullptr;
    NODREL1::SceltaComune scelta;
    if (luogo) {
        scelta = NODREL1::ScegliComune(*registro, p.luogo, p.provincia, p.data, nullptr, oggi_);
        if (scelta.comune == nullptr) {
            Nota(r.note, "comune di nascita non in elenco");
            luogo = false;
        } else if (scelta.omonimo) {
            // The code's own municipality, when it is one of the homonyms, is the person's.
            for (const NODREL1::Comune& c : registro->Omonimi(NODREL1::NomeComune(p.luogo))) {
                if (c.codice == dati.catastale &&
                    (p.provincia.empty() ||
                     NODREL1::ConfrontaNomi(c.provincia, p.provincia) == 0)) {
                    const std::u16string_view g = nascita.Testo();
                    const std::u16string giorno = data ? std::u16string(g.substr(6, 4)) + u"-" +
                                                             std::u16string(g.substr(3, 2)) + u"-" +
                                                             std::u16string(g.substr(0, 2))
                                                       : std::u16string();
                    scelta.comune = &c;
                    scelta.nonInVigore = data && !NODREL1::InVigore(*registro, c.codice, giorno);
                    break;
                }
            }
            Nota(r.note, kOmonimo);
        }
    }
    NODREL1::Comune proprio;
    if (luogo) {
        p.comune = scelta.comune;
    } else {
        proprio.codice = dati.catastale;
        proprio.nome = u"X";
        p.luogo = proprio.nome;
        p.comune = &proprio;
    }
    // The record is chosen: composing needs the register no more.
    const NODREL1::Composizione c = NODREL1::Componi(p, nullptr, oggi_);
    if (c.rifiuto) {
        return;
    }
    if (luogo) {
        r.luogoGiudicato = true;
        v.luogo = scelta.nonInVigore ? Luogo::NonInVigore : Luogo::Noto;
    }
    const bool sessoNoto = !sesso.empty() && presente(ColonnaPersona::Sesso);
    const bool confrontati[] = {cognome, nome, data || sessoNoto, luogo};
    const bool tutti =
        std::all_of(std::begin(confrontati), std::end(confrontati), [](bool b) { return b; });
    r.differenze.clear();
    for (const NODREL1::Differenza& d : NODREL1::ConfrontaCodici(c.codice, codice).differenze) {
        const auto g = static_cast<std::size_t>(d.gruppo);
        if (g < std::size(confrontati) ? !confrontati[g] : !tutti) {
            continue;
        }
        if (!r.differenze.empty()) {
            r.differenze += ", ";
        }
        r.differenze += NODREL1::Utf8(NODREL1::NomeGruppo(d.gruppo));
        r.differenze += ": atteso ";
        r.differenze += NODREL1::Utf8(d.atteso);
    }
    v.nonCorrisponde = !r.differenze.empty();
    v.differenze = r.differenze;
    v.note = r.note;
}

bool Giudice::Rapido(const VoceElenco& v, const FormaElenco& forma,
                     const NODREL1::Registro& registro, const char* codice, char* sedici,
                     bool& luogo, NODREL1::SceltaComune& scelta) {
    using C = ColonnaPersona;
    // A name cell left empty, or a column the list lacks, gives the code's own letters.
    const auto lettere = [codice](std::string_view cella, bool nome, char* tre) {
        if (!cella.empty()) {
            return NODREL1::GruppoAscii(cella, nome, tre);
        }
        if (codice == nullptr) {
            return false;
        }
        std::copy_n(codice + (nome ? 3 : 0), 3, tre);
        return true;
    };
    if (!lettere(v.Persona(C::Cognome), false, sedici) ||
        !lettere(v.Persona(C::Nome), true, sedici + 3)) {
        return false;
    }
    const int giorno = NODREL1::DataNascitaAscii(v.Persona(C::Data), oggi_);
    if (giorno == 0) {
        return false;
    }
    const std::string_view s = v.Persona(C::Sesso);
    bool donna = false;
    if (s.size() == 1 && (s[0] | 0x20) == 'f') {
        donna = true;
    } else if (s.size() == 1 && (s[0] | 0x20) == 'm') {
        donna = false;
    } else if (codice != nullptr && forma.Colonna(C::Sesso) < 0) {
        donna = codice[9] >= '4';
    } else {
        return false;
    }
    const auto cifra = [](int n) { return static_cast<char>('0' + n % 10); };
    const int anno = giorno / 10000;
    const int mese = giorno / 100 % 100;
    const int gg = giorno % 100 + (donna ? 40 : 0);
    sedici[6] = cifra(anno / 10);
    sedici[7] = cifra(anno);
    sedici[8] = static_cast<char>(NODREL1::kLettereMese[static_cast<std::size_t>(mese - 1)]);
    sedici[9] = cifra(gg / 10);
    sedici[10] = cifra(gg);
    const std::string_view comune = v.Persona(C::Comune);
    luogo = !comune.empty();
    if (luogo) {
        scelta = scelte_.Scegli(registro, comune, v.Persona(C::Provincia), giorno, oggi_);
        if (scelta.comune == nullptr || scelta.omonimo ||
            !NODREL1::CodiceCatastale(scelta.comune->codice)) {
            return false;
        }
        std::copy_n(scelta.comune->codice.begin(), 4, sedici + 11);
    } else if (codice != nullptr) {
        std::copy_n(codice + 11, 4, sedici + 11);
    } else {
        return false;
    }
    sedici[15] = NODREL1::CarattereControllo(sedici);
    return true;
}

NODREL1::Persona Giudice::PersonaDi(const VoceElenco& v) const {
    NODREL1::Persona p;
    p.cognome = Utf16(v.Persona(ColonnaPersona::Cognome));
    p.nome = Utf16(v.Persona(ColonnaPersona::Nome));
    p.sesso = NODREL1::LeggiSesso(Utf16(v.Persona(ColonnaPersona::Sesso)));
    p.data = Utf16(v.Persona(ColonnaPersona::Data));
    p.luogo = Utf16(v.Persona(ColonnaPersona::Comune));
    p.provincia = Utf16(v.Persona(ColonnaPersona::Provincia));
    return p;
}

bool Giudice::GiudicaSemplice(const char* sedici, std::uint64_t riga, RigaGiudicata& r) const {
    const NODREL1::Giudizio giudizio =
        NODREL1::GiudicaPersonale(reinterpret_cast<const unsigned char*>(sedici), r.chiave);
    if (giudizio.Tipo() == NODREL1::Difetto::Carattere) {
        return false;
    }
    VoceElenco& v = r.voce;
    v.esame = giudizio.InEsame();
    r.codice = true;
    r.diretto = true;
    v.riga = riga;
    v.codice = {sedici, NODREL1::kLunghezzaPersonale};
    v.celle = {&v.codice, 1};
    v.calcolato = false;
    v.rifiuto = {};
    v.note = {};
    v.nonCorrisponde = false;
    v.differenze = {};
    r.luogoGiudicato = false;
    r.omocodia = v.esame.Corretto() && v.esame.omocodico ? NODREL1::Omocodia(sedici) : 0;
    return true;
}

}  // namespace nodrel
