#pragma once

#include <QSettings>
#include <QSize>
#include <QString>

class QFileDialog;
class QWidget;

namespace nodrel {

// What the program remembers between sessions, in the user's own configuration
// (~/.config/Nodrel/Nodrel.conf). The file may hold people's data: only its owner reads it.
class Impostazioni : public QSettings {
    Q_OBJECT

public:
    Impostazioni();
    ~Impostazioni() override;
};

// Shows a file dialog in the folder last used by any of them, at the size it was last left,
// and remembers both; returns what exec() returns.
int EseguiDialogoFile(QFileDialog& dialogo);

// A window's size as the user left it under `chiave`, or `predefinita`; never larger than the
// screen's available area.
void RipristinaDimensione(QWidget* finestra, const QString& chiave, QSize predefinita);
void SalvaDimensione(const QWidget* finestra, const QString& chiave);

}  // namespace nodrel
