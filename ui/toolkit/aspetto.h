#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

class QFont;
class QLabel;
class QWidget;

namespace nodrel {

// What the information window is made of, apart from the rest of the toolkit: the program's
// first window is built from these alone, so that it needs neither Qt's SVG nor its print
// support.

// The faces the windows were designed with, mapped to the nearest that Debian offers.
enum class Faccia { MsSansSerif, Arial, TimesNewRoman, TempusSans };
QFont Carattere(Faccia faccia, double punti, bool grassetto, bool corsivo = false);

// Places a control at a position and size given in twips.
void Posiziona(QWidget* controllo, int sinistra, int alto, int larghezza, int altezza);

// A picture of assets/ that the build rendered to PNG.
QPixmap DisegnoPronto(const QString& risorsa);
// The program's icon, at each size it was rendered at.
QIcon IconaProgramma();

// A label with its own colours; `sfondo` invalid leaves the background transparent.
QLabel* Etichetta(QWidget* genitore, const char* nome, const QString& testo, const QFont& font,
                  QColor testoColore, QColor sfondo);

}  // namespace nodrel
