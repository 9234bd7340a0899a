// The module's shared state and the entry points of the main window's commands.

#include <algorithm>
#include <ctime>

#include "engine/interno.h"
#include "engine/nodrel1.h"

namespace NODREL1 {

StatoModulo Stato;

std::u16string& Cognome = Stato.Cognome;
std::u16string& Nome = Stato.Nome;
std::u16string& Sesso = Stato.Sesso;
std::u16string& Luogo = Stato.Luogo;
std::u16string& Provincia = Stato.Provincia;
std::u16string& DataNascita = Stato.DataNascita;
std::u16string& Codice = Stato.Codice;

std::shared_ptr<Database>& DbComuni = Stato.DbComuni;
std::shared_ptr<Recordset>& RsComuni = Stato.RsComuni;

namespace {

bool HaLettere(const std::u16string& testo) {
    return CodiceCognome(testo).size() == 3;
}

// One letter and three digits, as every cadastral code of the register.
bool CodiceCatastale(const std::u16string& codice) {
    return codice.size() == 4 && codice[0] >= u'A' && codice[0] <= u'Z' &&
           std::all_of(codice.begin() + 1, codice.end(),
                       [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

std::u16string SenzaSpaziEsterni(const std::u16string& testo) {
    const std::size_t inizio = testo.find_first_not_of(u' ');
    return inizio == std::u16string::npos
               ? std::u16string()
               : testo.substr(inizio, testo.find_last_not_of(u' ') - inizio + 1);
}

bool StessaProvincia(const std::u16string& a, const std::u16string& b) {
    return a == SenzaSpaziEsterni(b);
}

// A municipality name can have several records: two towns of one name, or a town merged into a
// new one of the same name under a new code. The code of a person's birth is the one of the
// record in the province shown (when one has it) that was in force on the day of birth; when
// none was, the completion's choice stands, unless it lies in another province than the one
// shown, which then gives that province's first record (today's). Text8 shows the code used.
void ScegliComune(Finestra& f) {
    const bool nascita = LeggiData(DataNascita).has_value();
    const std::u16string nome = SenzaSpaziEsterni(Luogo);
    if (!RsComuni || !nascita || nome.empty()) {
        return;
    }
    // "?" says the name typed is not in the register: it is refused as it stands.
    const std::u16string scelto = f.Testo(Campo::Text8);
    if (scelto == u"?") {
        return;
    }
    std::vector<Comune> righe = CercaOmonimi(nome);
    if (std::any_of(righe.begin(), righe.end(),
                    [](const Comune& c) { return StessaProvincia(c.provincia, Provincia); })) {
        std::erase_if(righe,
                      [](const Comune& c) { return !StessaProvincia(c.provincia, Provincia); });
    }
    if (righe.empty()) {
        return;
    }
    // YYYY-MM-DD, as the register keeps its dates: text order is time order.
    const std::u16string iso = DataNascita.substr(6, 4) + u"-" + DataNascita.substr(3, 2) + u"-" +
                               DataNascita.substr(0, 2);
    const Comune* valido = nullptr;
    for (const Comune& c : righe) {
        if (c.dal <= iso && iso <= c.al) {
            valido = &c;
            break;
        }
    }
    if (valido == nullptr) {
        const bool tra = std::any_of(righe.begin(), righe.end(),
                                     [&scelto](const Comune& c) { return c.codice == scelto; });
        valido = tra ? nullptr : &righe.front();
    }
    if (valido != nullptr && valido->codice != scelto) {
        f.ImpostaTesto(Campo::Text8, valido->codice);
    }
}

bool Rifiuta(Finestra& f, const char16_t* messaggio, Campo campo) {
    f.MsgBox(messaggio);
    f.DaiFuoco(campo);
    return false;
}

}  // namespace

std::chrono::year_month_day Oggi() {
    if (Stato.oggi) {
        return *Stato.oggi;
    }
    const std::time_t adesso = std::time(nullptr);
    std::tm locale{};
    localtime_r(&adesso, &locale);
    return {std::chrono::year{locale.tm_year + 1900},
            std::chrono::month{static_cast<unsigned>(locale.tm_mon + 1)},
            std::chrono::day{static_cast<unsigned>(locale.tm_mday)}};
}

void FissaOggi(std::optional<std::chrono::year_month_day> giorno) {
    Stato.oggi = giorno;
}

void CollegaFinestra(Finestra* f) {
    Stato.finestra = f;
}

Finestra& FinestraPrincipale() {
    if (Stato.finestra == nullptr) {
        throw Errore(kErrFinestraNonCaricata, u"La finestra principale non è caricata");
    }
    return *Stato.finestra;
}

Finestra* FinestraCollegata() {
    return Stato.finestra;
}

bool CalcolaCodice() {
    Finestra& f = FinestraPrincipale();
    ScegliComune(f);
    Luogo = f.Testo(Campo::Text8);
    // Each refusal names the first field to mend, in the order the fields are filled in.
    if (!HaLettere(Cognome)) {
        return Rifiuta(f, kMsgCognomeMancante, Campo::Text2);
    }
    if (!HaLettere(Nome)) {
        return Rifiuta(f, kMsgNomeMancante, Campo::Text3);
    }
    // "?" marks a name not in the register; anything else that is no code (nothing was
    // completed, or there is no register) is as unusable.
    if (!CodiceCatastale(Luogo)) {
        f.MsgBox(kMsgLuogoErrato);
        f.ImpostaTesto(Campo::Text5, u"");
        f.ImpostaTesto(Campo::Text6, u"");
        f.DaiFuoco(Campo::Text5);
        return false;
    }
    if (!ControllaData(DataNascita)) {
        return Rifiuta(f, kMsgDataMancante, Campo::Text7);
    }
    Cognome = CodiceCognome(Cognome);
    Nome = CodiceNome(Nome);
    DataNascita = CodiceDataSesso(DataNascita, Sesso);
    const std::u16string controllo = CarattereControllo(Cognome + Nome + DataNascita + Luogo);
    Codice = Cognome + u" " + Nome + u" " + DataNascita + u" " + Luogo + u" " + controllo;
    return true;
}

void ControllaCodice(const std::u16string& codice) {
    const bool giusto = EsaminaCodice(codice).Corretto();
    FinestraPrincipale().MsgBox(giusto ? kMsgCodiceCorretto : kMsgCodiceErrato);
}

void AttivaMaiuscole() {
    if (Stato.finestra != nullptr) {
        Stato.finestra->AccendiMaiuscole();
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
    rs.SetIndex(Indice::COMU_DESCR);
    rs.Seek(Confronto::MaggioreOUguale, testo);
    return !(rs.Eof() || rs.NoMatch());
}

bool CercaPerCodice(const std::u16string& codice) {
    return CercaPerCodice(Cursore(), codice);
}

bool CercaPerCodice(Recordset& rs, const std::u16string& codice) {
    rs.SetIndex(Indice::COMU_COD);
    rs.Seek(Confronto::Uguale, codice);
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
