// Decoding a typed code back into the main window's fields.

#include "engine/interno.h"
#include "engine/nodrel1.h"

namespace NODREL1 {

void EstraiDati(const std::u16string& codice) {
    Finestra& f = FinestraPrincipale();
    std::u16string testo = TogliSpazi(codice);
    const std::u16string controllo = testo.empty() ? u"" : testo.substr(testo.size() - 1);
    testo = testo.substr(0, 15);
    if (CarattereControllo(testo) != controllo) {
        f.MsgBox(kMsgCodiceNonValido);
        f.ImpostaTesto(Campo::Text1, u"");
        f.DaiFuoco(Campo::Text1);
        return;
    }

    f.ImpostaTesto(Campo::Text2, Mid(testo, 1, 3));
    f.ImpostaTesto(Campo::Text3, Mid(testo, 4, 3));
    std::u16string giorno = Mid(testo, 10, 2);
    const std::u16string anno = Mid(testo, 7, 2);
    const std::u16string lettera = Mid(testo, 9, 1);
    const std::u16string comune = Mid(testo, 12, 4);

    // Women's days are raised by 40, so a day above "31" is a woman's.
    if (giorno > u"31") {
        f.SelezionaSesso(1);
        giorno[0] = static_cast<char16_t>(giorno[0] - 4);
    } else {
        f.SelezionaSesso(0);
    }

    const auto p = lettera.empty() ? std::u16string_view::npos : kLettereMese.find(lettera[0]);
    const int mese = p == std::u16string_view::npos ? 0 : static_cast<int>(p) + 1;
    std::u16string mm = u"0";
    for (char c : std::to_string(mese)) {
        mm += static_cast<char16_t>(c);
    }
    if (mm.size() > 2) {
        mm = mm.substr(1, 2);
    }
    f.ImpostaTesto(Campo::Text7, giorno + u"/" + mm + u"/" + anno);

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
