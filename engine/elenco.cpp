#include "engine/elenco.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "engine/interno.h"
#include "engine/testo.h"

namespace NODREL1 {

namespace {

// The parts of a line gathered on the stack and appended to the output at once: the output of
// a list of millions grows by one append a line, not one a part.
class Breve {
public:
    void operator+=(std::string_view t) { n_ += t.copy(b_ + n_, sizeof b_ - n_); }
    void operator+=(char c) {
        if (n_ < sizeof b_) {
            b_[n_++] = c;
        }
    }
    void Numero(std::uint64_t n) {
        n_ = static_cast<std::size_t>(std::to_chars(b_ + n_, b_ + sizeof b_, n).ptr - b_);
    }
    std::size_t size() const { return n_; }
    std::string_view Vista() const { return {b_, n_}; }
    void Svuota() { n_ = 0; }

private:
    char b_[192];  // a number, a plain code and the longest reason
    std::size_t n_ = 0;
};

void AggiungiNumero(std::string& out, std::uint64_t n) {
    char cifre[20];
    const auto fine = std::to_chars(cifre, cifre + sizeof cifre, n).ptr;
    out.append(cifre, fine);
}

void AggiungiNumero(Breve& out, std::uint64_t n) {
    out.Numero(n);
}

bool Semplice(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x20 && b < 0x7F && c != '"' && c != ';';
}

// Whether all of a text is plain, eight bytes at a time: no byte below 0x20 or above 0x7E, and
// no quote or semicolon.
bool Semplice(std::string_view testo) {
    constexpr std::uint64_t kUno = 0x0101010101010101u;
    constexpr std::uint64_t kAlto = 0x8080808080808080u;
    auto zero = [](std::uint64_t x) { return (x - kUno) & ~x & kAlto; };
    std::size_t i = 0;
    for (; i + 8 <= testo.size(); i += 8) {
        std::uint64_t x;
        std::memcpy(&x, testo.data() + i, 8);
        const std::uint64_t sotto = (x - kUno * 0x20) & ~x & kAlto;
        const std::uint64_t sopra = ((x + kUno * (0x7F - 0x7E)) | x) & kAlto;
        if ((sotto | sopra | zero(x ^ (kUno * '"')) | zero(x ^ (kUno * ';'))) != 0) {
            return false;
        }
    }
    for (; i < testo.size(); ++i) {
        if (!Semplice(testo[i])) {
            return false;
        }
    }
    return true;
}

// A CSV field: as it is when it is plain ASCII; otherwise as valid UTF-8 without control
// characters, in quotes when it holds a quote or a separator.
void AggiungiCampo(std::string& out, std::string_view testo) {
    if (Semplice(testo)) {
        out += testo;
        return;
    }
    std::u16string t = Utf16(testo);
    bool virgolette = false;
    for (char16_t& c : t) {
        if (c < 0x20 || c == 0x7F) {
            c = 0xFFFD;
        }
        virgolette = virgolette || c == u'"' || c == u';';
    }
    if (!virgolette) {
        out += Utf8(t);
        return;
    }
    out += '"';
    for (char c : Utf8(t)) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
}

void AggiungiCampo(std::string& out, std::u16string_view testo) {
    AggiungiCampo(out, Utf8(testo));
}

template <class Uscita>
void AggiungiMotivo(Uscita& out, const VoceElenco& v) {
    const Esame& e = v.esame;
    switch (e.difetto) {
        case Difetto::Lunghezza:
            out += "lunghezza errata";
            return;
        case Difetto::Carattere:
            out += "carattere non ammesso in posizione ";
            AggiungiNumero(out, static_cast<std::uint64_t>(e.posizione));
            return;
        case Difetto::Mese:
            out += "mese non valido";
            return;
        case Difetto::Giorno:
            out += "giorno non valido";
            return;
        case Difetto::Controllo:
            if (e.numerico) {
                out += "cifra di controllo errata";
            } else {
                out += "carattere di controllo errato (atteso ";
                out += static_cast<char>(e.atteso.value());
                out += ')';
            }
            return;
        case Difetto::Nessuno:
            break;
    }
    const std::size_t inizio = out.size();
    auto nota = [&](std::string_view testo) {
        if (out.size() > inizio) {
            out += ", ";
        }
        out += testo;
    };
    if (e.omocodico) {
        nota("omocodico");
    }
    if (v.duplicatoDi != 0) {
        nota("duplicato della riga ");
        AggiungiNumero(out, v.duplicatoDi);
    }
    if (v.comuneSconosciuto) {
        nota("comune non in elenco");
    }
    if (v.comuneNonInVigore) {
        nota("comune non in vigore alla data di nascita");
    }
}

// YYYY-MM-DD as the number YYYYMMDD.
std::uint32_t Giorno(std::u16string_view data) {
    std::uint32_t n = 0;
    for (char16_t c : data) {
        if (c >= u'0' && c <= u'9') {
            n = n * 10 + static_cast<std::uint32_t>(c - u'0');
        }
    }
    return n;
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

std::size_t CodiciVisti::Indice(std::uint64_t chiave) const {
    // Fibonacci hashing spreads keys that differ only in their last digits.
    return static_cast<std::size_t>((chiave * 0x9E3779B97F4A7C15u) >> (64 - bit_));
}

void CodiciVisti::Anticipa(std::uint64_t chiave) const {
    if (!posti_.empty()) {
        __builtin_prefetch(&posti_[Indice(chiave)]);
    }
}

std::uint64_t CodiciVisti::Registra(std::uint64_t chiave, std::uint64_t riga) {
    if (10 * (usati_ + 1) > 7 * posti_.size()) {
        Cresci(bit_ == 0 ? 10 : bit_ + 1);
    }
    const std::size_t maschera = posti_.size() - 1;
    for (std::size_t i = Indice(chiave);; i = (i + 1) & maschera) {
        Posto& p = posti_[i];
        if (p.chiave == chiave) {
            return p.riga;
        }
        if (p.chiave == 0) {
            p = {chiave, riga};
            ++usati_;
            return 0;
        }
    }
}

void CodiciVisti::Riserva(std::uint64_t quanti) {
    int bit = std::max(bit_, 10);
    while (10 * quanti > 7 * (std::uint64_t{1} << bit) && bit < 40) {
        ++bit;
    }
    if (bit > bit_) {
        Cresci(bit);
    }
}

void CodiciVisti::Cresci(int bit) {
    std::vector<Posto> vecchi = std::move(posti_);
    bit_ = bit;
    posti_.assign(std::size_t{1} << bit_, Posto{});
    usati_ = 0;
    for (const Posto& p : vecchi) {
        if (p.chiave != 0) {
            Registra(p.chiave, p.riga);
        }
    }
}

ElencoCodici::ElencoCodici(ComuneNoto comuneNoto) : comuneNoto_(std::move(comuneNoto)) {}

ElencoCodici::ElencoCodici(const Registro* registro, std::chrono::year_month_day oggi)
    : registro_(registro) {
    if (registro_ == nullptr) {
        return;
    }
    comuneNoto_ = [registro](std::u16string_view catastale) {
        return registro->PerCodice(catastale) != nullptr;
    };
    oggi_ = static_cast<std::uint32_t>(static_cast<int>(oggi.year()) * 10000 +
                                       static_cast<int>(static_cast<unsigned>(oggi.month())) * 100 +
                                       static_cast<int>(static_cast<unsigned>(oggi.day())));
    inizio_.assign(comuni_.size(), 0);
    quanti_.assign(comuni_.size(), 0);
}

bool ElencoCodici::InVigore(std::size_t i, std::uint64_t data) const {
    // The key's digits, from the right: day, month letter (its place in the alphabet), year.
    static constexpr std::array<std::uint8_t, 26> kMese = [] {
        std::array<std::uint8_t, 26> m{};
        for (std::size_t k = 0; k < kLettereMese.size(); ++k) {
            m[static_cast<std::size_t>(kLettereMese[k] - u'A')] = static_cast<std::uint8_t>(k + 1);
        }
        return m;
    }();
    std::uint32_t giorno = static_cast<std::uint32_t>(data % 100);
    giorno = giorno > 40 ? giorno - 40 : giorno;
    const std::uint32_t mese = kMese[static_cast<std::size_t>(data / 100 % 26)];
    const auto anno = static_cast<std::uint32_t>(data / 2600 % 100);
    const std::uint32_t resto = mese * 100 + giorno;
    const std::uint32_t giorni[2] = {(1900 + anno) * 10000 + resto, (2000 + anno) * 10000 + resto};
    const std::uint32_t* p = periodi_.data() + inizio_[i];
    for (std::size_t k = 0; k < quanti_[i]; ++k, p += 2) {
        for (std::uint32_t g : giorni) {
            if (g <= oggi_ && p[0] <= g && g <= p[1]) {
                return true;
            }
        }
    }
    return false;
}

void ElencoCodici::Prevedi(std::uint64_t byte) {
    // A code takes seventeen bytes with its newline, at the least.
    visti_.Riserva(byte / (kLunghezzaPersonale + 1));
}

void ElencoCodici::Trattieni(std::string_view parte) {
    if (resto_.size() < kRigaMassima) {
        resto_.append(parte.substr(0, kRigaMassima - resto_.size()));
    }
}

std::size_t ElencoCodici::Prepara(std::string_view& pezzo) {
    std::size_t n = 0;
    while (n < kLotto) {
        Riga& r = lotto_[n];
        // The common line, sixteen characters and its end, is judged as it stands; only one
        // with a character no code may hold (a blank, a quote, a separator, lower case) needs
        // the full reading.
        if (!primaRiga_ && pezzo.size() > kLunghezzaPersonale &&
            pezzo[kLunghezzaPersonale] == '\n') {
            r.voce.esame =
                EsaminaPersonale(reinterpret_cast<const unsigned char*>(pezzo.data()), r.chiave);
            if (r.voce.esame.difetto != Difetto::Carattere) {
                ++numero_;
                r.codice = true;
                r.voce.riga = numero_;
                r.voce.codice = pezzo.substr(0, kLunghezzaPersonale);
                if (r.voce.esame.Corretto()) {
                    visti_.Anticipa(r.chiave);
                }
                pezzo.remove_prefix(kLunghezzaPersonale + 1);
                ++n;
                continue;
            }
        }
        const std::size_t fine = pezzo.find('\n');
        if (fine == std::string_view::npos) {
            break;
        }
        ++numero_;
        Giudica(pezzo.substr(0, fine), r);
        if (r.codice && r.voce.esame.Corretto()) {
            visti_.Anticipa(r.chiave);
        }
        pezzo.remove_prefix(fine + 1);
        ++n;
    }
    return n;
}

void ElencoCodici::Giudica(std::string_view riga, Riga& r) {
    r.codice = false;
    if (riga.size() > kRigaMassima) {
        riga = riga.substr(0, kRigaMassima);
    }
    if (!riga.empty() && riga.back() == '\r') {
        riga.remove_suffix(1);
    }
    if (numero_ == 1 && riga.starts_with("\xEF\xBB\xBF")) {
        riga.remove_prefix(3);
    }
    if (riga.find_first_not_of(" \t") == std::string_view::npos) {
        return;
    }
    if (primaRiga_) {
        primaRiga_ = false;
        if (riga.find_first_of("0123456789") == std::string_view::npos) {
            return;
        }
    }
    std::string_view campo = riga.substr(0, riga.find_first_of(",;\t"));
    auto spoglia = [&campo] {
        const std::size_t inizio = campo.find_first_not_of(' ');
        campo = inizio == std::string_view::npos
                    ? std::string_view()
                    : campo.substr(inizio, campo.find_last_not_of(' ') - inizio + 1);
    };
    spoglia();
    if (campo.size() >= 2 && campo.front() == '"' && campo.back() == '"') {
        campo = campo.substr(1, campo.size() - 2);
        spoglia();
    }
    const CodiceCompatto k = Compatta(campo);
    r.codice = true;
    r.voce.riga = numero_;
    r.voce.codice = campo;
    r.voce.esame = Esamina(k);
    if (r.voce.esame.Corretto()) {
        r.chiave = Chiave(k, r.voce.esame.numerico);
    }
}

bool ElencoCodici::Completa(Riga& r) {
    if (!r.codice) {
        return false;
    }
    VoceElenco& v = r.voce;
    v.duplicatoDi = 0;
    v.comuneSconosciuto = false;
    v.comuneNonInVigore = false;
    ++totali_.codici;
    if (!v.esame.Corretto()) {
        ++totali_.errati;
        return true;
    }
    ++totali_.corretti;
    v.duplicatoDi = visti_.Registra(r.chiave, v.riga);
    totali_.duplicati += v.duplicatoDi != 0;
    if (comuneNoto_ && !v.esame.numerico) {
        // The municipality is the last four digits of the key; at most one question to the
        // register for each of the 26,000 codes there can be.
        const std::uint64_t senzaCarattere = (r.chiave - 1);
        const auto i = static_cast<std::size_t>(senzaCarattere % 26000);
        if (comuni_[i] == 0) {
            const char16_t catastale[4] = {
                static_cast<char16_t>(u'A' + i / 1000), static_cast<char16_t>(u'0' + i / 100 % 10),
                static_cast<char16_t>(u'0' + i / 10 % 10), static_cast<char16_t>(u'0' + i % 10)};
            const std::u16string_view codice(catastale, 4);
            comuni_[i] = comuneNoto_(codice) ? 1 : -1;
            if (registro_ != nullptr) {
                inizio_[i] = static_cast<std::uint32_t>(periodi_.size());
                for (const Comune* c : registro_->TuttiPerCodice(codice)) {
                    periodi_.push_back(Giorno(c->dal));
                    periodi_.push_back(Giorno(c->al));
                    ++quanti_[i];
                }
            }
        }
        v.comuneSconosciuto = comuni_[i] < 0;
        v.comuneNonInVigore =
            registro_ != nullptr && comuni_[i] > 0 && !InVigore(i, senzaCarattere / 26000);
    }
    return true;
}

std::string Motivo(const VoceElenco& voce) {
    std::string motivo;
    AggiungiMotivo(motivo, voce);
    return motivo;
}

void ScriviVerifica(std::string& out, const VoceElenco& voce) {
    Breve riga;
    AggiungiRiga(out, riga, voce.riga, voce.codice);
    riga += voce.esame.Corretto() ? "CORRETTO;" : "ERRATO;";
    AggiungiMotivo(riga, voce);
    riga += '\n';
    out += riga.Vista();
}

void ScriviVerifica(std::string& out, std::uint64_t numero, std::string_view codice, bool corretto,
                    std::string_view motivo) {
    Breve riga;
    AggiungiRiga(out, riga, numero, codice);
    out += riga.Vista();
    out += corretto ? "CORRETTO;" : "ERRATO;";
    AggiungiCampo(out, motivo);
    out += '\n';
}

void ScriviDecodifica(std::string& out, const VoceElenco& voce, const DatiCodice* dati,
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
    AggiungiNumero(testo, r.codici);
    testo += " codici: ";
    AggiungiNumero(testo, r.corretti);
    testo += " corretti, ";
    AggiungiNumero(testo, r.errati);
    testo += " errati, ";
    AggiungiNumero(testo, r.duplicati);
    testo += " duplicati";
    return testo;
}

}  // namespace NODREL1
