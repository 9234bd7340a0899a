#include "lists/scrittura.h"

#include <algorithm>
#include <cassert>
#include <charconv>
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
    // Most lines of a list: plain cells and the code composed, which fit one line made in place.
    std::size_t lunghezza = voce.codice.size();
    bool semplici = voce.Corretto() && Semplice(voce.codice);
    for (std::string_view campo : voce.persona) {
        lunghezza += campo.size();
        semplici = semplici && Semplice(campo);
    }
    if (semplici && lunghezza <= 200) {
        Diretta riga;
        riga.NumeroSeguente(voce.riga);
        for (std::string_view campo : voce.persona) {
            riga += ';';
            riga += campo;
        }
        riga += ';';
        riga += voce.codice;
        riga += '\n';
        out += riga.Vista();
        return;
    }
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

void ScriviDecodifica(std::string& out, const VoceElenco& voce, CodeDecodifica& code) {
    Breve riga;
    AggiungiRiga(out, riga, voce.riga, voce.codice);
    out += riga.Vista();
    if (voce.esame.Corretto() && !voce.esame.numerico) {
        // The code as the rules read it: blanks gone, letters in upper case, sixteen bytes.
        const NODREL1::CodiceCompatto k = NODREL1::Compatta(voce.codice);
        char sedici[NODREL1::kLunghezzaPersonale];
        for (std::size_t i = 0; i < sizeof sedici; ++i) {
            sedici[i] = static_cast<char>(k.c[i]);
        }
        std::uint32_t comune = 0;
        std::uint32_t data = 0;
        if (NODREL1::GiudicaPersonale(reinterpret_cast<const unsigned char*>(sedici), comune, data)
                .Corretto()) {
            code.Prepara(comune);
            const std::size_t inizio = out.size();
            out.resize(inizio + code.Massimo());
            out.resize(static_cast<std::size_t>(
                code.Campi(out.data() + inizio, sedici, comune, data) - out.data()));
            return;
        }
    }
    out += ";;;;;;\n";
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
                if (d != Difetto::Nessuno) {
                    continue;
                }
                // The same code met before on line 1: its tail either side of the number.
                v.duplicatoDi = 1;
                riga.clear();
                ScriviVerifica(riga, v);
                v.duplicatoDi = 0;
                constexpr std::string_view kNota = "duplicato della riga 1";
                const std::size_t dove = riga.find(kNota, kPrima.size());
                assert(dove != std::string::npos);
                const std::string_view prima = std::string_view(riga).substr(
                    kPrima.size(), dove + kNota.size() - 1 - kPrima.size());
                const std::string_view dopo = std::string_view(riga).substr(dove + kNota.size());
                std::array<Coda, 2>& parti = duplicati_[(omocodico ? 3 : 0) + k];
                for (std::size_t j = 0; j < 2; ++j) {
                    const std::string_view t = j == 0 ? prima : dopo;
                    assert(t.size() <= sizeof parti[j].testo);
                    parti[j].lunghezza = t.size();
                    std::memcpy(parti[j].testo, t.data(), t.size());
                }
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

char* CodeVerifica::ScriviDuplicato(char* o, const char* codice, NODREL1::Giudizio giudizio,
                                    Luogo luogo, std::uint64_t prima) const {
    const std::array<Coda, 2>& parti =
        duplicati_[(giudizio.Omocodico() ? 3 : 0) + static_cast<std::size_t>(luogo)];
    *o++ = ';';
    std::memcpy(o, codice, NODREL1::kLunghezzaPersonale);
    o += NODREL1::kLunghezzaPersonale;
    std::memcpy(o, parti[0].testo, sizeof parti[0].testo);
    o = std::to_chars(o + parti[0].lunghezza, o + parti[0].lunghezza + 20, prima).ptr;
    std::memcpy(o, parti[1].testo, sizeof parti[1].testo);
    return o + parti[1].lunghezza;
}

namespace {

char* DueCifre(char* o, std::uint32_t n) {
    o[0] = static_cast<char>('0' + n / 10 % 10);
    o[1] = static_cast<char>('0' + n % 10);
    return o + 2;
}

}  // namespace

CodeDecodifica::CodeDecodifica(const NODREL1::Registro* registro, std::chrono::year_month_day oggi)
    : registro_(registro),
      oggi_(oggi),
      luoghi_(kScorta, '\0'),
      inizio_(NODREL1::kComuni, 0),
      lunghezza_(NODREL1::kComuni, 0) {
    massimo_ = 1 + NODREL1::kLunghezzaPersonale + 1 + 3 + 1 + 3 + 1 + 1 + 1 + 10 + 1 + kScorta;
    // Without a register every municipality is known to be empty at once.
    for (std::uint32_t i = 0; registro == nullptr && i < NODREL1::kComuni; ++i) {
        Aggiungi(i, nullptr);
    }
}

void CodeDecodifica::Prepara(std::uint32_t comune) {
    if (!Pronto(comune)) {
        const std::array<char16_t, 4> catastale = NODREL1::CatastaleDi(comune);
        // The code's name of today.
        Aggiungi(comune,
                 registro_->PerCodice(std::u16string_view(catastale.data(), catastale.size())));
    }
}

void CodeDecodifica::Aggiungi(std::uint32_t i, const NODREL1::Comune* comune) {
    std::string voce;
    if (comune != nullptr) {
        AggiungiCampo(voce, comune->nome);
        voce += ';';
        AggiungiCampo(voce, comune->provincia);
    } else {
        voce += ';';
    }
    voce += ';';
    for (char16_t c : NODREL1::CatastaleDi(i)) {
        voce += static_cast<char>(c);
    }
    voce += '\n';
    // Before the spare bytes at the end, which let a short one be copied at a length known.
    const std::size_t inizio = luoghi_.size() - kScorta;
    luoghi_.insert(inizio, voce);
    inizio_[i] = static_cast<std::uint32_t>(inizio);
    lunghezza_[i] = static_cast<std::uint32_t>(voce.size());
    massimo_ = std::max(massimo_, 1 + NODREL1::kLunghezzaPersonale + 1 + 3 + 1 + 3 + 1 + 1 + 1 +
                                      10 + 1 + voce.size());
}

char* CodeDecodifica::Campi(char* o, const char* sedici, std::uint32_t comune,
                            std::uint32_t data) const {
    std::memcpy(o, sedici, 3);
    o += NODREL1::LettereDecodificate(NODREL1::Gruppo::Cognome, sedici);
    *o++ = ';';
    std::memcpy(o, sedici + 3, 3);
    o += NODREL1::LettereDecodificate(NODREL1::Gruppo::Nome, sedici + 3);
    *o++ = ';';
    // A woman's day is raised by 40.
    *o++ = data % 100 > 40 ? 'F' : 'M';
    *o++ = ';';
    const NODREL1::GiornoDelCodice giorno = NODREL1::GiornoDi(data);
    o = DueCifre(o, giorno.giorno);
    *o++ = '/';
    o = DueCifre(o, giorno.mese);
    *o++ = '/';
    o = DueCifre(o, NODREL1::SecoloDecodificato(comune, data, registro_, oggi_));
    o = DueCifre(o, giorno.anno);
    *o++ = ';';
    // comune;provincia;H501 and the line end.
    const char* luogo = luoghi_.data() + inizio_[comune];
    const std::size_t n = lunghezza_[comune];
    if (n <= kScorta) {
        std::memcpy(o, luogo, kScorta);
    } else {
        std::memcpy(o, luogo, n);
    }
    return o + n;
}

char* CodeDecodifica::Scrivi(char* o, const char* codice, NODREL1::Giudizio giudizio,
                             std::uint32_t comune, std::uint32_t data) const {
    *o++ = ';';
    std::memcpy(o, codice, NODREL1::kLunghezzaPersonale);
    o += NODREL1::kLunghezzaPersonale;
    *o++ = ';';
    if (giudizio.Corretto()) {
        return Campi(o, codice, comune, data);
    }
    constexpr std::string_view kVuoti = ";;;;;;\n";
    std::memcpy(o, kVuoti.data(), kVuoti.size());
    return o + kVuoti.size();
}

UscitaCsv::UscitaCsv(Compito compito, std::function<void(std::string_view)> scrivi,
                     RegistroAtteso* registro, std::chrono::year_month_day oggi)
    : compito_(compito),
      scrivi_(std::move(scrivi)),
      registro_(registro),
      oggi_(oggi),
      out_(compito == Compito::Decodifica ? kIntestazioneDecodifica
           : compito == Compito::Componi  ? kIntestazioneComponi
                                          : kIntestazioneVerifica) {
    if (compito == Compito::Verifica) {
        code_.emplace();
    }
}

const CodeVerifica* UscitaCsv::Code() const {
    return code_ ? &*code_ : nullptr;
}

CodeDecodifica* UscitaCsv::Decodifiche() {
    if (compito_ != Compito::Decodifica) {
        return nullptr;
    }
    if (!decodifiche_) {
        decodifiche_.emplace(registro_ != nullptr ? registro_->Prendi() : nullptr, oggi_);
    }
    return &*decodifiche_;
}

void UscitaCsv::Voce(const VoceElenco& v) {
    switch (compito_) {
        case Compito::Verifica:
            ScriviVerifica(out_, v);
            break;
        case Compito::Componi:
            ScriviComponi(out_, v);
            break;
        case Compito::Decodifica:
            ScriviDecodifica(out_, v, *Decodifiche());
            break;
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
