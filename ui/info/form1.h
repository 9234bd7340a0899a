#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace nodrel {

// The information window: shown at start, and again from the main window's "&Informazioni".
// Mostra() loads (and centres) it first when it is not loaded; a window already shown comes to
// the front where it is.
class Form1 : public QDialog {
    Q_OBJECT

public:
    // The loaded window, or nullptr.
    static Form1* Istanza();
    static Form1* Mostra();

    QPushButton* Command1;
    QLabel* Label4;  // the register of municipalities in use
    void Command1_Click();

signals:
    // "OK": the main window is wanted in front, with the focus on its surname; this window then
    // unloads.
    void PrincipaleRichiesta();

protected:
    void closeEvent(QCloseEvent* evento) override;
    void reject() override;

private:
    Form1();
    void Form_Load();
};

}  // namespace nodrel
