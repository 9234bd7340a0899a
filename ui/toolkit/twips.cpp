#include "ui/toolkit/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <cstdint>

namespace nodrel {

int Px(int twips) {
    return static_cast<int>(std::lround(twips / double(kTwipsPerPixel)));
}

int CentraBordo(double differenza) {
    const auto intero = static_cast<std::int32_t>(std::nearbyint(differenza));  // halves to even
    return intero / 2;  // C++ integer division truncates toward zero
}

void CentraFinestra(QWidget* finestra) {
    QScreen* schermo = finestra->screen() ? finestra->screen() : QGuiApplication::primaryScreen();
    if (schermo == nullptr) {
        return;
    }
    // Until its native window exists a window knows nothing of its frame, and would be centred
    // by its client area alone.
    finestra->winId();
    const QSize area = schermo->geometry().size();
    const QSize esterno = finestra->frameGeometry().size();
    const int sinistra = CentraBordo(double(area.width() - esterno.width()) * kTwipsPerPixel);
    const int alto = CentraBordo(double(area.height() - esterno.height()) * kTwipsPerPixel);
    finestra->move(schermo->geometry().topLeft() +
                   QPoint(sinistra / kTwipsPerPixel, alto / kTwipsPerPixel));
}

}  // namespace nodrel
