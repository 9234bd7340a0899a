#include "fogli/fogli.h"

#include <QFileInfo>

#include "fogli/interno.h"

namespace nodrel {

Cartella::Cartella() = default;
Cartella::~Cartella() = default;

bool Cartella::Apri(const QString& percorso, QString& errore) {
    fogli_.clear();
    lettore_.reset();
    if (!QFileInfo::exists(percorso)) {
        errore = QStringLiteral("il file non esiste");
        return false;
    }
    const Tipo tipo = TipoDiFile(percorso);
    std::unique_ptr<Lettore> lettore;
    switch (tipo.formato) {
        case Formato::Xlsx:
            lettore = LettoreXlsx(percorso);
            break;
        case Formato::Ods:
        case Formato::Fods:
            lettore = LettoreOds(percorso, tipo.formato == Formato::Fods);
            break;
        case Formato::Xls:
            lettore = LettoreXls(percorso);
            break;
        case Formato::NessunElenco:
            errore = tipo.motivo;
            return false;
        case Formato::Testo:
        case Formato::Contenitore:
            errore = QStringLiteral("non è un foglio di calcolo");
            return false;
    }
    QStringList fogli;
    if (!lettore->Apri(fogli, errore)) {
        return false;
    }
    fogli_ = std::move(fogli);
    lettore_ = std::move(lettore);
    return true;
}

const QStringList& Cartella::Fogli() const {
    return fogli_;
}

bool Cartella::Leggi(std::size_t foglio, const RigaFoglio& riga, QString& errore) {
    if (!lettore_ || foglio >= static_cast<std::size_t>(fogli_.size())) {
        errore = QStringLiteral("il foglio non si trova nel file");
        return false;
    }
    return lettore_->Leggi(foglio, riga, errore);
}

}  // namespace nodrel
