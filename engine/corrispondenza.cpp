// Whether a code belongs to its person, and the messages of verification with their reasons.

#include <array>

#include "engine/interno.h"
#include "engine/nodrel1.h"

namespace NODREL1 {

namespace {

// Each group's first character and length in the plain sixteen characters.
struct Posto {
    Gruppo gruppo;
    std::size_t inizio;
    std::size_t lunghezza;
};
constexpr std::array<Posto, 5> kGruppi = {{{Gruppo::Cognome, 0, 3},
                                           {Gruppo::Nome, 3, 3},
                                           {Gruppo::DataSesso, 6, 5},
                                           {Gruppo::Comune, 11, 4},
                                           {Gruppo::Controllo, 15, 1}}};

}  // namespace

std::u16string_view NomeGruppo(Gruppo gruppo) {
    switch (gruppo) {
        case Gruppo::Cognome:
            return u"cognome";
        case Gruppo::Nome:
            return u"nome";
        case Gruppo::DataSesso:
            return u"data di nascita e sesso";
        case Gruppo::Comune:
            return u"comune di nascita";
        case Gruppo::Controllo:
            return u"carattere di controllo";
    }
    return {};
}

Corrispondenza ConfrontaCodici(std::u16string_view composto, std::u16string_view codice) {
    Corrispondenza c;
    c.atteso = std::u16string(composto);
    c.esame = EsaminaCodice(codice);
    if (!c.esame.Corretto()) {
        return c;
    }
    const std::u16string atteso = CodiceNormale(composto);
    // An omocode's letters are read as the digits they stand for; its check character is right
    // (it was verified) though it differs from the composed one's.
    const std::u16string letto =
        c.esame.numerico ? std::u16string() : SenzaOmocodia(CodiceNormale(codice));
    bool diverso = false;
    for (const Posto& g : kGruppi) {
        const std::u16string voluto = atteso.substr(g.inizio, g.lunghezza);
        if (g.gruppo == Gruppo::Controllo && !diverso && c.esame.omocodico) {
            break;
        }
        if (letto.size() != kLunghezzaPersonale || letto.substr(g.inizio, g.lunghezza) != voluto) {
            c.differenze.push_back({g.gruppo, voluto});
            diverso = true;
        }
    }
    return c;
}

Corrispondenza VerificaCorrispondenza(const Persona& persona, std::u16string_view codice,
                                      const Registro* registro, std::chrono::year_month_day oggi) {
    const Composizione composta = Componi(persona, registro, oggi);
    if (composta.rifiuto) {
        return {composta.rifiuto, {}, {}, {}};
    }
    return ConfrontaCodici(composta.codice, codice);
}

std::u16string MessaggioCorrispondenza(const Corrispondenza& c) {
    if (c.rifiuto) {
        return TestoRifiuto(*c.rifiuto);
    }
    if (!c.esame.Corretto()) {
        return MessaggioVerifica(c.esame);
    }
    if (c.differenze.empty()) {
        std::u16string testo = kMsgCorrisponde;
        if (c.esame.omocodico) {
            testo += u"\nomocodico";
        }
        return testo;
    }
    std::u16string testo = kMsgNonCorrisponde;
    for (const Differenza& d : c.differenze) {
        testo += u"\n";
        testo += NomeGruppo(d.gruppo);
        testo += u": atteso ";
        testo += d.atteso;
    }
    return testo;
}

std::u16string MessaggioVerifica(const Esame& esame, bool comuneNonInElenco) {
    if (!esame.Corretto()) {
        // The reason as the lists give it, so that the window and a checked list agree.
        return std::u16string(kMsgCodiceErrato) + u"\n" + Motivo(esame);
    }
    std::u16string testo = kMsgCodiceCorretto;
    if (esame.numerico) {
        testo += u"\ncodice numerico";
    } else if (esame.omocodico) {
        testo += u"\nomocodico";
    }
    if (comuneNonInElenco && !esame.numerico) {
        testo += u"\ncomune non in elenco";
    }
    return testo;
}

}  // namespace NODREL1
