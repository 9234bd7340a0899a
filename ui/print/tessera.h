#pragma once

#include <QString>

class QPagedPaintDevice;
class QPainter;
class QRectF;
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

// The plastic card's size, ID-1 of ISO/IEC 7810; the paper and the PDF carry it at this size.
inline constexpr double kLarghezzaTesseraMm = 85.6;
inline constexpr double kAltezzaTesseraMm = 54.0;
// The drawing, in units of 1/96 inch at the preview's scale: the width of the window's picture
// (5145 twips), the height the card's proportions give it.
inline constexpr double kLarghezzaDisegno = 343;
inline constexpr double kAltezzaDisegno =
    kLarghezzaDisegno * kAltezzaTesseraMm / kLarghezzaTesseraMm;
// The preview's picture in pixels.
inline constexpr int kLarghezzaTessera = 343;
inline constexpr int kAltezzaTessera = 216;
// The least distance of the card from the paper's edges.
inline constexpr double kMargineMm = 10;

// Draws the card, its picture, the seven values, "FAC-SIMILE" and "2000", filling `posto`, a
// rectangle of the card's proportions. Everything is drawn as vectors and text, so that it stays
// sharp at any resolution and its text can be searched on paper.
void DisegnaTessera(QPainter& pittore, const QRectF& posto, const DatiTessera& dati);

// The card as one page at its real size, inside the page's printable area and at least
// kMargineMm from the paper's edges; the PDF has margins of kMargineMm. Returns what went wrong,
// in the words the user reads, or an empty text.
QString StampaTessera(QPrinter& stampante, const DatiTessera& dati);
QString EsportaPdf(const QString& percorso, const DatiTessera& dati);

}  // namespace nodrel
