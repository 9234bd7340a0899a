#include "lists/scrittura.h"

#include <cassert>
#include <cstring>

#include "engine/testo.h"
#include "lists/uscita.h"

namespace nodrel {

namespace {

void AggiungiNumero(Diretta& out, std::uint64_t n) {
    out.Numero(n);
}

void AggiungiNumero(std::string& out, std::uint64_t n) {
    char cifre[20];
    const auto fine = std::to_chars(cifre, cifre + sizeof cifre, n).ptr;
    out.append(cifre, fine);
}

void AggiungiNumero(Breve& out, std::uint64_t n) {
    out.Numero(n);
}

// A CSV field: as it is when it is plain ASCII; otherwise as valid UTF-8 without control
// characters, in quotes when it holds a quote or a separator.
void AggiungiCampo(std::string& out, std::string_view testo) {
    if (Semplice(testo)) {
        out += testo;
        return;
    }
    std::u16string t = NODREL1::Utf16(testo);
    bool virgolette = false;
    for (char16_t& c : t) {
        if (c < 0x20 || c == 0x7F) {
            c = 0xFFFD;
        }
        virgolette = virgolette || c == u'"' || c == u';';
    }
    if (!virgolette) {
        out += NODREL1::Utf8(t);
        return;
    }
    out += '"';
    for (char c : NODREL1::Utf8(t)) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
}

void AggiungiCampo(std::string& out, std::u16string_view testo) {
    AggiungiCampo(out, NODREL1::Utf8(testo));
}

// Why a code is wrong, in the engine's words, as UTF-8: each text made once, since most wrong
// rows of a list are one of a few dozen.
std::string_view TestoDifetto(const NODREL1::Esame& e) {
    // Lunghezza; Carattere at each position; Mese; Giorno; a personal code's check letter, then
    // a numeric code's check digit.
    constexpr std::size_t kPosizioni = NODREL1::kLunghezzaPersonale + 2;
    static const std::vector<std::string> kTesti = [] {
        std::vector<std::string> t;
        auto aggiungi = [&t](NODREL1::Esame e) { t.push_back(NODREL1::Utf8(NODREL1::Motivo(e))); };
        NODREL1::Esame e;
        e.difetto = NODREL1::Difetto::Lunghezza;
        aggiungi(e);
        for (std::size_t p = 0; p < kPosizioni; ++p) {
            e.difetto = NODREL1::Difetto::Carattere;
            e.posizione = static_cast<int>(p);
            aggiungi(e);
        }
        e = {};
        e.difetto = NODREL1::Difetto::Mese;
        aggiungi(e);
        e.difetto = NODREL1::Difetto::Giorno;
        aggiungi(e);
        for (char16_t c = u'A'; c <= u'Z'; ++c) {
            e.difetto = NODREL1::Difetto::Controllo;
            e.atteso = c;
            aggiungi(e);
        }
        e.numerico = true;
        aggiungi(e);
        return t;
    }();
    switch (e.difetto) {
        case NODREL1::Difetto::Lunghezza:
            return kTesti[0];
        case NODREL1::Difetto::Carattere:
            if (e.posizione >= 0 && static_cast<std::size_t>(e.posizione) < kPosizioni) {
                return kTesti[1 + static_cast<std::size_t>(e.posizione)];
            }
            break;
        case NODREL1::Difetto::Mese:
            return kTesti[1 + kPosizioni];
        case NODREL1::Difetto::Giorno:
            return kTesti[2 + kPosizioni];
        case NODREL1::Difetto::Controllo:
            if (e.numerico) {
                return kTesti.back();
            }
            if (e.atteso && *e.atteso >= u'A' && *e.atteso <= u'Z') {
                return kTesti[3 + kPosizioni + static_cast<std::size_t>(*e.atteso - u'A')];
            }
            break;
        case NODREL1::Difetto::Nessuno:
            return {};
    }
    thread_local std::string raro;
    raro = NODREL1::Utf8(NODREL1::Motivo(e));
    return raro;
}

template <class Uscita>
void AggiungiMotivo(Uscita& out, const VoceElenco& v) {
    if (!v.rifiuto.empty()) {
        out += v.rifiuto;
        return;
    }
    if (!v.esame.Corretto()) {
        out += TestoDifetto(v.esame);
        return;
    }
    const std::size_t inizio = out.size();
    auto nota = [&](std::string_view testo) {
        if (out.size() > inizio) {
            out += ", ";
        }
        out += testo;
    };
    if (!v.differenze.empty()) {
        nota(v.differenze);
    }
    if (v.calcolato) {
        nota("codice calcolato");
    }
    if (v.esame.omocodico) {
        nota("omocodico");
    }
    if (v.duplicatoDi != 0) {
        nota("duplicato della riga ");
        AggiungiNumero(out, v.duplicatoDi);
    }
    if (v.luogo == Luogo::Ignoto) {
        nota("comune non in elenco");
    }
    if (v.luogo == Luogo::NonInVigore) {
        nota("comune non in vigore alla data di nascita");
    }
    if (!v.note.empty()) {
        nota(v.note);
    }
}

// The line's number and code, and what follows them, in `riga` or already in `out`.
void AggiungiRiga(std::string& out, Breve& riga, std::uint64_t numero, std::string_view codice) {
    riga.Numero(numero);
    riga += ';';
    if (codice.size() <= 64 && Semplice(codice)) {
        riga += codice;
    } else {
        out += riga.Vista();
        riga.Svuota();
        AggiungiCampo(out, codice);
    }
    riga += ';';
}

}  // namespace

std::string Motivo(const VoceElenco& voce) {
    std::string motivo;
    AggiungiMotivo(motivo, voce);
    return motivo;
}

void ScriviCampo(std::string& out, std::string_view testo) {
    AggiungiCampo(out, testo);
}

std::string_view Esito(const VoceElenco& voce) {
    return !voce.Corretto() ? "ERRATO" : voce.nonCorrisponde ? "NON CORRISPONDE" : "CORRETTO";
}

void ScriviVerifica(std::string& out, const VoceElenco& voce) {
    // Most lines of a list: a plain code and a reason of the program's own, which fit.
    if (voce.codice.size() == NODREL1::kLunghezzaPersonale && voce.rifiuto.empty() &&
        voce.differenze.empty() && voce.note.empty() && Semplice(voce.codice)) {
        Diretta riga;
        riga.NumeroSeguente(voce.riga);
        riga += ';';
        riga += voce.codice.substr(0, NODREL1::kLunghezzaPersonale);
        riga += ';';
        riga += Esito(voce);
        riga += ';';
        AggiungiMotivo(riga, voce);
        riga += '\n';
        out += riga.Vista();
        return;
    }
    Breve riga;
    AggiungiRiga(out, riga, voce.riga, voce.codice);
    riga += Esito(voce);
    riga += ';';
    AggiungiMotivo(riga, voce);
    riga += '\n';
    out += riga.Vista();
}

void ScriviVerifica(std::string& out, std::uint64_t numero, std::string_view codice,
                    std::string_view esito, std::string_view motivo) {
    Breve riga;
    AggiungiRiga(out, riga, numero, codice);
    out += riga.Vista();
    out += esito;
    out += ';';
    AggiungiCampo(out, motivo);
    out += '\n';
}

void ScriviComponi(std::string& out, const VoceElenco& voce) {
    AggiungiNumero(out, voce.riga);
    for (std::string_view campo : voce.persona) {
        out += ';';
        AggiungiCampo(out, campo);
    }
    out += ';';
    if (voce.Corretto()) {
        AggiungiCampo(out, voce.codice);
    } else {
        AggiungiCampo(out, Motivo(voce));
    }
    out += '\n';
}

void ScriviDecodifica(std::string& out, const VoceElenco& voce, const NODREL1::DatiCodice* dati,
                      std::u16string_view comune, std::u16string_view provincia) {
    Breve riga;
    AggiungiRiga(out, riga, voce.riga, voce.codice);
    out += riga.Vista();
    if (dati != nullptr) {
        AggiungiCampo(out, dati->cognome);
        out += ';';
        AggiungiCampo(out, dati->nome);
        out += dati->donna ? ";F;" : ";M;";
        AggiungiCampo(out, dati->data);
        out += ';';
        AggiungiCampo(out, comune);
        out += ';';
        AggiungiCampo(out, provincia);
        out += ';';
        AggiungiCampo(out, dati->catastale);
    } else {
        out += ";;;;;;";
    }
    out += '\n';
}

std::string TestoRiepilogo(const Riepilogo& r) {
    std::string testo;
    auto conta = [&testo](std::uint64_t n, std::string_view uno, std::string_view molti) {
        // The digits in threes, as Italian writes a count.
        const std::string cifre = std::to_string(n);
        for (std::size_t i = 0; i < cifre.size(); ++i) {
            if (i > 0 && (cifre.size() - i) % 3 == 0) {
                testo += '.';
            }
            testo += cifre[i];
        }
        testo += ' ';
        testo += n == 1 ? uno : molti;
    };
    conta(r.codici, "codice", "codici");
    const char* prima = ": ";
    auto parte = [&](std::uint64_t n, std::string_view uno, std::string_view molti) {
        if (n != 0) {
            testo += prima;
            prima = ", ";
            conta(n, uno, molti);
        }
    };
    parte(r.corretti, "corretto", "corretti");
    parte(r.errati, "errato", "errati");
    parte(r.nonCorrispondenti, "non corrispondente", "non corrispondenti");
    parte(r.duplicati, "duplicato", "duplicati");
    parte(r.calcolati, "calcolato", "calcolati");
    return testo;
}

std::size_t CodeVerifica::Dove(NODREL1::Difetto difetto, bool omocodico, Luogo luogo,
                               char16_t atteso) {
    const std::size_t gruppo = omocodico ? kPerGruppo : 0;
    switch (difetto) {
        case NODREL1::Difetto::Mese:
            return gruppo + kMese;
        case NODREL1::Difetto::Giorno:
            return gruppo + kGiorno;
        case NODREL1::Difetto::Controllo:
            return gruppo + kControllo + static_cast<std::size_t>(atteso - u'A');
        default:
            return gruppo + kGiusto + static_cast<std::size_t>(luogo);
    }
}

CodeVerifica::CodeVerifica() {
    using NODREL1::Difetto;
    // Each tail as ScriviVerifica ends the line of such a row.
    constexpr std::string_view kPrima = "1;AAAAAAAAAAAAAAAA";
    VoceElenco v;
    v.riga = 1;
    v.codice = kPrima.substr(2);
    v.celle = {&v.codice, 1};
    for (const Difetto d : {Difetto::Nessuno, Difetto::Mese, Difetto::Giorno, Difetto::Controllo}) {
        for (const bool omocodico : {false, true}) {
            const std::size_t varianti = d == Difetto::Controllo ? 26
                                         : d == Difetto::Nessuno ? 3
                                                                 : 1;
            for (std::size_t k = 0; k < varianti; ++k) {
                v.esame = {};
                v.esame.difetto = d;
                v.esame.omocodico = omocodico;
                const auto atteso = static_cast<char16_t>(u'A' + k);
                if (d == Difetto::Controllo) {
                    v.esame.atteso = atteso;
                }
                v.luogo = d == Difetto::Nessuno ? static_cast<Luogo>(k) : Luogo::Noto;
                std::string riga;
                ScriviVerifica(riga, v);
                Coda& c = code_[Dove(d, omocodico, v.luogo, atteso)];
                assert(riga.starts_with(kPrima) && riga.size() - kPrima.size() <= sizeof c.testo);
                c.lunghezza = riga.size() - kPrima.size();
                std::memcpy(c.testo, riga.data() + kPrima.size(), c.lunghezza);
            }
        }
    }
}

char* CodeVerifica::Scrivi(char* o, const char* codice, NODREL1::Giudizio giudizio,
                           Luogo luogo) const {
    const Coda& c = code_[Dove(giudizio.Tipo(), giudizio.Omocodico(), luogo, giudizio.Atteso())];
    *o++ = ';';
    std::memcpy(o, codice, NODREL1::kLunghezzaPersonale);
    o += NODREL1::kLunghezzaPersonale;
    // Copied whole, a length the compiler knows.
    std::memcpy(o, c.testo, sizeof c.testo);
    return o + c.lunghezza;
}

UscitaCsv::UscitaCsv(Compito compito, std::function<void(std::string_view)> scrivi,
                     RegistroAtteso* registro)
    : compito_(compito),
      scrivi_(std::move(scrivi)),
      registro_(registro),
      out_(compito == Compito::Decodifica ? kIntestazioneDecodifica
           : compito == Compito::Componi  ? kIntestazioneComponi
                                          : kIntestazioneVerifica) {
    if (compito == Compito::Verifica) {
        code_.emplace();
    }
    if (compito == Compito::Decodifica) {
        comuni_.resize(NODREL1::kComuni);
    }
}

const CodeVerifica* UscitaCsv::Code() const {
    return code_ ? &*code_ : nullptr;
}

void UscitaCsv::Voce(const VoceElenco& v) {
    switch (compito_) {
        case Compito::Verifica:
            ScriviVerifica(out_, v);
            break;
        case Compito::Componi:
            ScriviComponi(out_, v);
            break;
        case Compito::Decodifica: {
            const auto dati =
                v.esame.Corretto() ? NODREL1::LeggiCodice(NODREL1::Utf16(v.codice)) : std::nullopt;
            const NODREL1::Registro* registro =
                registro_ != nullptr ? registro_->Prendi() : nullptr;
            std::pair<std::u16string, std::u16string> comune;
            if (dati && registro != nullptr) {
                // Each municipality looked up once, however often it comes.
                const std::u16string& c = dati->catastale;
                const auto numero = static_cast<std::size_t>(c[0] - u'A') * 1000 +
                                    static_cast<std::size_t>(c[1] - u'0') * 100 +
                                    static_cast<std::size_t>(c[2] - u'0') * 10 +
                                    static_cast<std::size_t>(c[3] - u'0');
                auto& noto = comuni_[numero];
                if (!noto) {
                    noto.emplace();
                    if (const NODREL1::Comune* trovato = registro->PerCodice(c)) {
                        noto->first = trovato->nome;
                        noto->second = trovato->provincia;
                    }
                }
                comune = *noto;
            }
            ScriviDecodifica(out_, v, dati ? &*dati : nullptr, comune.first, comune.second);
            break;
        }
    }
    if (out_.size() >= kBlocco) {
        Svuota();
    }
}

void UscitaCsv::Righe(std::string_view testo) {
    if (testo.size() < kBlocco / 16) {
        out_ += testo;
        if (out_.size() >= kBlocco) {
            Svuota();
        }
        return;
    }
    // Half a run of rows goes out as it was written.
    Svuota();
    scrivi_(testo);
}

void UscitaCsv::Svuota() {
    if (!out_.empty()) {
        scrivi_(out_);
        out_.clear();
    }
}

}  // namespace nodrel
