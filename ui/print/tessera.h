#pragma once

#include <QString>

class QPagedPaintDevice;
class QPainter;
class QPrinter;

namespace nodrel {

// What the card shows over its picture: the main window's seven values, copied as it shows them.
struct DatiTessera {
    QString codice;
    QString cognome;
    QString nome;
    QString sesso;
    QString comune;
    QString provincia;
    QString data;
};

// The card's size in pixels at 96 dots per inch, 5145 x 3345 twips.
inline constexpr int kLarghezzaTessera = 343;
inline constexpr int kAltezzaTessera = 223;

// Draws the card, its picture, the seven values, "FAC-SIMILE" and "2000", at the painter's origin
// in units of 1/96 inch; the painter's transform gives the scale. Everything is drawn as vectors
// and text, so that it stays sharp at any resolution and its text can be searched on paper.
void DisegnaTessera(QPainter& pittore, const DatiTessera& dati);

// The card as one page at its natural size (96 units to the inch) at the top left of the page's
// printable area. Returns what went wrong, in the words the user reads, or an empty text.
QString StampaTessera(QPrinter& stampante, const DatiTessera& dati);
QString EsportaPdf(const QString& percorso, const DatiTessera& dati);

}  // namespace nodrel
