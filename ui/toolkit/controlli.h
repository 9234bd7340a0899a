#pragma once

#include <QColor>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QString>
#include <QToolButton>
#include <functional>

#include "ui/toolkit/aspetto.h"

namespace nodrel {

// Colour values as the text boxes keep them: 0x00BBGGRR, 0 black, 128 dark red; values with
// the top bit set name a system colour.
inline constexpr int kColoreNero = 0;
inline constexpr int kColoreRossoScuro = 128;
inline constexpr int kColoreTestoFinestra = static_cast<int>(0x80000008u);
QColor ColoreRgb(int valore);

// A text box with a text colour of its own, the toolkit's default until one is set.
class TextBox : public QLineEdit {
    Q_OBJECT

public:
    explicit TextBox(QWidget* genitore, const char* nome);

    int ForeColor() const { return foreColor_; }
    void SetForeColor(int valore);

    // What a copy of the selection puts on the clipboard, by the keys or the context menu; the
    // selected text while unset.
    void ImpostaCopia(std::function<QString()> copia) { copia_ = std::move(copia); }
    // Text pasted, by the keys or the context menu, or dropped, goes through `pulisci` first.
    void ImpostaIncolla(std::function<QString(const QString&)> pulisci) {
        pulisci_ = std::move(pulisci);
    }

protected:
    void keyPressEvent(QKeyEvent* evento) override;
    void contextMenuEvent(QContextMenuEvent* evento) override;
    void dropEvent(QDropEvent* evento) override;

private:
    void Copia();
    void Incolla();

    int foreColor_ = kColoreTestoFinestra;
    std::function<QString()> copia_;
    std::function<QString(const QString&)> pulisci_;
};

// A picture that acts as a button: a drawing shown at its natural size, as the toolbar band
// shows it, and the button's click, tool tip and accessibility. It takes no focus, so Tab keeps
// to the fields.
class Immagine : public QToolButton {
    Q_OBJECT

public:
    Immagine(QWidget* genitore, const char* nome, const QString& risorsa);

protected:
    void paintEvent(QPaintEvent* evento) override;

private:
    QPixmap disegno_;
};

QPixmap Disegno(const QString& risorsa, QSize dimensione = {});

// A line from one point to another, in twips; a filled rectangle without outline.
QWidget* Linea(QWidget* genitore, const char* nome, int x1, int y1, int x2, int y2, QColor colore);
QWidget* Rettangolo(QWidget* genitore, const char* nome, QColor colore);

}  // namespace nodrel
