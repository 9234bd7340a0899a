// The module's shared state and the entry points of the main window's commands.

#include "engine/interno.h"
#include "engine/nodrel1.h"

namespace NODREL1 {

std::u16string Cognome;
std::u16string Nome;
std::u16string Sesso;
std::u16string Luogo;
std::u16string Provincia;
std::u16string DataNascita;
std::u16string Codice;

std::shared_ptr<Database> DbComuni;
std::shared_ptr<Recordset> RsComuni;

namespace {

Finestra* finestra = nullptr;

bool DataCodificabile(const std::u16string& data) {
    const int mese = MeseDellaData(data);
    return mese >= 1 && mese <= 12 && !data.empty() && data[0] >= u'0' && data[0] <= u'9';
}

}  // namespace

void CollegaFinestra(Finestra* f) {
    finestra = f;
}

Finestra& FinestraPrincipale() {
    if (finestra == nullptr) {
        throw Errore(kErrFinestraNonCaricata, u"La finestra principale non è caricata");
    }
    return *finestra;
}

Finestra* FinestraCollegata() {
    return finestra;
}

bool CalcolaCodice() {
    Finestra& f = FinestraPrincipale();
    Luogo = f.Testo(Campo::Text8);
    if (Luogo == u"?") {
        f.MsgBox(kMsgLuogoErrato);
        f.ImpostaTesto(Campo::Text5, u"");
        f.ImpostaTesto(Campo::Text6, u"");
        f.DaiFuoco(Campo::Text5);
        return false;
    }
    // A date whose month or first day digit cannot be encoded would give a malformed code.
    if (!DataCodificabile(DataNascita)) {
        f.MsgBox(kMsgDataMancante);
        f.DaiFuoco(Campo::Text7);
        return false;
    }
    Cognome = CodiceCognome(Cognome);
    Nome = CodiceNome(Nome);
    DataNascita = CodiceDataSesso(DataNascita, Sesso);
    const std::u16string controllo = CarattereControllo(Cognome + Nome + DataNascita + Luogo);
    Codice = Cognome + u" " + Nome + u" " + DataNascita + u" " + Luogo + u" " + controllo;
    return true;
}

void ControllaCodice(const std::u16string& codice) {
    const std::u16string testo = TogliSpazi(codice);
    const std::u16string ultimo = testo.empty() ? u"" : testo.substr(testo.size() - 1);
    const bool giusto = ultimo == CarattereControllo(testo.substr(0, 15));
    FinestraPrincipale().MsgBox(giusto ? kMsgCodiceCorretto : kMsgCodiceErrato);
}

void AttivaMaiuscole() {
    if (finestra != nullptr) {
        finestra->AccendiMaiuscole();
    }
}

namespace {

Recordset& Cursore() {
    if (!RsComuni) {
        throw Errore(kErrRegistroNonAperto, u"L'archivio dei comuni non è aperto");
    }
    return *RsComuni;
}

}  // namespace

bool CercaPerNome(const std::u16string& testo) {
    Recordset& rs = Cursore();
    rs.SetIndex(u"COMU_DESCR");
    rs.Seek(u">=", testo);
    return !(rs.Eof() || rs.NoMatch());
}

bool CercaPerCodice(const std::u16string& codice) {
    Recordset& rs = Cursore();
    rs.SetIndex(u"COMU_COD");
    rs.Seek(u"=", codice);
    return !(rs.Eof() || rs.NoMatch());
}

bool VaiAlSuccessivo() {
    Recordset& rs = Cursore();
    rs.MoveNext();
    return !rs.Eof();
}

bool VaiAlPrecedente() {
    Recordset& rs = Cursore();
    rs.MovePrevious();
    return !rs.Eof();
}

std::vector<Comune> CercaOmonimi(const std::u16string& nome) {
    return Cursore().Omonimi(nome);
}

}  // namespace NODREL1
