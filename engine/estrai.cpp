// Decoding a typed code back into the main window's fields.

#include "engine/interno.h"
#include "engine/nodrel1.h"

namespace NODREL1 {

namespace {

// The letters as decoding shows them: a trailing filler X is left out wherever the letters
// without it give the same group again (FOX is the surname FO), so that composing straight
// after decoding gives the same code.
std::u16string SenzaRiempitivo(const std::u16string& gruppo,
                               std::u16string (*codifica)(const std::u16string&)) {
    // X is a consonant too, so OX is no shorter form of OXX; each shorter form is tried.
    std::u16string lettere = gruppo;
    std::u16string prova = gruppo;
    while (prova.size() > 1 && prova.back() == u'X') {
        prova.pop_back();
        if (codifica(prova) == gruppo) {
            lettere = prova;
        }
    }
    return lettere;
}

std::u16string DueCifre(int n) {
    return {static_cast<char16_t>(u'0' + n / 10), static_cast<char16_t>(u'0' + n % 10)};
}

}  // namespace

std::optional<DatiCodice> LeggiCodice(std::u16string_view codice) {
    const Esame esame = EsaminaCodice(codice);
    if (!esame.Corretto() || esame.numerico) {
        return std::nullopt;
    }
    const std::u16string testo = SenzaOmocodia(CodiceNormale(codice));
    DatiCodice d;
    d.cognome = SenzaRiempitivo(testo.substr(0, 3), CodiceCognome);
    d.nome = SenzaRiempitivo(testo.substr(3, 3), CodiceNome);
    // Women's days are raised by 40.
    int giorno = (testo[9] - u'0') * 10 + (testo[10] - u'0');
    d.donna = giorno > 40;
    if (d.donna) {
        giorno -= 40;
    }
    const int mese = static_cast<int>(kLettereMese.find(testo[8])) + 1;
    // The code keeps two digits of the year: the century is the one that puts the date
    // latest without passing today.
    const int anno = (testo[6] - u'0') * 10 + (testo[7] - u'0');
    const std::chrono::year_month_day oggi = Oggi();
    const int oggiNumero = static_cast<int>(oggi.year()) * 10000 +
                           static_cast<int>(static_cast<unsigned>(oggi.month())) * 100 +
                           static_cast<int>(static_cast<unsigned>(oggi.day()));
    const int secolo = (2000 + anno) * 10000 + mese * 100 + giorno <= oggiNumero ? 20 : 19;
    d.data = DueCifre(giorno) + u"/" + DueCifre(mese) + u"/" + DueCifre(secolo) + DueCifre(anno);
    d.catastale = testo.substr(11, 4);
    return d;
}

void EstraiDati(const std::u16string& codice) {
    Finestra& f = FinestraPrincipale();
    const std::optional<DatiCodice> dati = LeggiCodice(codice);
    if (!dati) {
        // The code stays, selected: one wrong character does not cost the whole code.
        f.MsgBox(kMsgCodiceNonValido);
        f.DaiFuoco(Campo::Text1);
        f.SelezionaTutto(Campo::Text1);
        return;
    }
    f.ImpostaTesto(Campo::Text2, dati->cognome);
    f.ImpostaTesto(Campo::Text3, dati->nome);
    f.SelezionaSesso(dati->donna ? 1 : 0);
    f.ImpostaTesto(Campo::Text7, dati->data);
    const std::u16string& comune = dati->catastale;

    // Nothing on the decoding path traps register errors, so they are reported here and end it.
    try {
        if (!CercaPerCodice(comune)) {
            f.MsgBox(kMsgComuneNonInElenco);
            return;
        }
        const std::u16string nome = RsComuni->Field(u"COMU_DESCR");
        const std::u16string provincia = RsComuni->Field(u"COMU_PROV");
        const std::u16string codiceComune = RsComuni->Field(u"COMU_COD");
        f.ImpostaTesto(Campo::Text5, nome);
        f.ImpostaTesto(Campo::Text6, provincia);
        f.ImpostaTesto(Campo::Text8, codiceComune);
    } catch (const Errore& e) {
        f.MsgBox(FasMsg(e));
    }
}

}  // namespace NODREL1
