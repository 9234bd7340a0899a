#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;
class QTextBrowser;

namespace nodrel {

// The sections of the guide that the windows open it at, by their anchors.
inline constexpr char kGuidaElenchi[] = "elenchi";
inline constexpr char kGuidaRegistro[] = "registro";

// The guide: the program's own manual in Italian, with its index beside it. One window per main
// window, which it closes with; a window of its own, beside the one it helps.
class Form5 : public QDialog {
    Q_OBJECT

public:
    // Shows the guide of `principale`, loading it first when it is not loaded, at the section
    // named; with no section a guide already shown stays where it is, a new one at its top.
    static Form5* Mostra(QWidget* principale, const QString& sezione = {});

    QListWidget* List1;  // the index: one entry per section
    QTextBrowser* TextBrowser1;
    QPushButton* Command1;  // "Chiudi"

    void VaiA(const QString& sezione);

private:
    explicit Form5(QWidget* principale);
    void List1_Click();
};

}  // namespace nodrel
