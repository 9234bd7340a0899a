#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace nodrel {

// Window layouts are given in twips: 15 twips make one logical pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

int Px(int twips);
// Where a window's outer frame goes: centred on the screen by the windows' rule (each edge at the
// difference between screen and window, in twips rounded to an integer with halves to even,
// halved truncating toward zero), then moved as little as needed to lie wholly on the available
// area; a frame larger than that area sits at its top-left corner. Values in pixels.
QPoint PosizioneCentrata(const QRect& schermo, const QRect& disponibile, QSize esterno);
// Places a window, by its outer frame, in the middle of its screen; and once more when the
// window manager has framed it, if that changed the frame.
void CentraFinestra(QWidget* finestra);
// The largest of `voluta` that lets the window, frame included, lie on its screen's available
// area; a window not framed yet is supposed to get the frame window managers usually give.
QSize DentroLoSchermo(const QWidget* finestra, QSize voluta);
// A window that may be resized, no larger than that area, and moved onto it when it is framed.
void TieniNelloSchermo(QWidget* finestra);

}  // namespace nodrel
