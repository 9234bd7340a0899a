#include "lists/giudice.h"

#include <algorithm>

#include "engine/esame.h"
#include "engine/testo.h"

namespace nodrel {

namespace {

// A date as spreadsheets also write it, AAAA-MM-GG, in the form the rules read.
std::u16string Data(std::string_view cella) {
    if (cella.size() >= 10 && cella[4] == '-' && cella[7] == '-') {
        const std::string d = std::string(cella.substr(8, 2)) + "/" +
                              std::string(cella.substr(5, 2)) + "/" +
                              std::string(cella.substr(0, 4));
        return NODREL1::Utf16(d);
    }
    return NODREL1::Utf16(cella);
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

}  // namespace

void Giudice::Giudica(RigaGiudicata& r, const FormaElenco& forma, std::uint64_t riga) {
    VoceElenco& v = r.voce;
    auto cella = [&r](int i) {
        return i >= 0 && static_cast<std::size_t>(i) < r.celle.size()
                   ? r.celle[static_cast<std::size_t>(i)]
                   : std::string_view();
    };
    r.codice = true;
    r.omocodia = 0;
    v.riga = riga;
    v.celle = r.celle;
    v.calcolato = false;
    v.rifiuto = {};
    for (std::size_t i = 0; i < 6; ++i) {
        v.persona[i] = cella(forma.persona[i]);
    }
    v.codice = cella(forma.codice);
    if (v.codice.empty() && forma.Persone()) {
        // A person without a code: the code is composed as the main window would.
        const NODREL1::Registro* registro = registro_ != nullptr ? registro_->Prendi() : nullptr;
        const NODREL1::Persona persona = PersonaDi(v, registro);
        const NODREL1::Composizione c = NODREL1::Componi(persona, registro, oggi_);
        v.calcolato = true;
        if (c.rifiuto) {
            v.rifiuto = Rifiutato(*c.rifiuto, persona);
            v.esame = NODREL1::Esame{};
            v.esame.difetto = NODREL1::Difetto::Lunghezza;
            return;
        }
        r.calcolato.clear();
        for (char16_t x : c.codice) {
            if (x != u' ') {
                r.calcolato += static_cast<char>(x);
            }
        }
        v.codice = r.calcolato;
    }
    const NODREL1::CodiceCompatto k = NODREL1::Compatta(v.codice);
    v.esame = NODREL1::Esamina(k);
    v.nonCorrisponde = false;
    v.differenze = {};
    if (!v.esame.Corretto()) {
        return;
    }
    r.chiave = NODREL1::Chiave(k, v.esame.numerico);
    if (v.esame.omocodico) {
        r.omocodia = NODREL1::Omocodia(k.c.data());
    }
    // A code beside its person is also compared with the code the person's data give.
    const bool confronto =
        !v.calcolato &&
        std::all_of(forma.persona.begin(), forma.persona.begin() + 5, [](int c) { return c >= 0; });
    if (confronto && !v.persona[0].empty() && !v.persona[3].empty() && !v.persona[4].empty()) {
        const NODREL1::Registro* registro = registro_ != nullptr ? registro_->Prendi() : nullptr;
        const NODREL1::Corrispondenza c = NODREL1::VerificaCorrispondenza(
            PersonaDi(v, registro), NODREL1::Utf16(v.codice), registro, oggi_);
        if (!c.rifiuto && c.esame.Corretto() && !c.differenze.empty()) {
            r.differenze.clear();
            for (const NODREL1::Differenza& d : c.differenze) {
                if (!r.differenze.empty()) {
                    r.differenze += ", ";
                }
                r.differenze += NODREL1::Utf8(NODREL1::NomeGruppo(d.gruppo));
                r.differenze += ": atteso ";
                r.differenze += NODREL1::Utf8(d.atteso);
            }
            v.nonCorrisponde = true;
            v.differenze = r.differenze;
        }
    }
}

NODREL1::Persona Giudice::PersonaDi(const VoceElenco& v, const NODREL1::Registro* registro) const {
    using NODREL1::Utf16;
    NODREL1::Persona p;
    p.cognome = Utf16(v.persona[0]);
    p.nome = Utf16(v.persona[1]);
    p.sesso = Utf16(v.persona[2].substr(0, 1));
    if (p.sesso == u"f") {
        p.sesso[0] = u'F';  // in place, which GCC 12 does not take for an overlapping copy
    }
    p.data = Data(v.persona[3]);
    p.luogo = Utf16(v.persona[4]);
    p.provincia = Utf16(v.persona[5]);
    if (registro != nullptr) {
        // Any record of the name will do: the composition picks the one of the birth date.
        const auto omonimi = registro->Omonimi(NODREL1::SenzaSpaziEsterni(p.luogo));
        if (!omonimi.empty()) {
            p.comune = &omonimi.front();
        }
    }
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
    v.riga = riga;
    v.codice = {sedici, NODREL1::kLunghezzaPersonale};
    v.celle = {&v.codice, 1};
    v.calcolato = false;
    v.rifiuto = {};
    v.nonCorrisponde = false;
    v.differenze = {};
    r.omocodia = v.esame.Corretto() && v.esame.omocodico ? NODREL1::Omocodia(sedici) : 0;
    return true;
}

}  // namespace nodrel
