#pragma once

#include <QDialog>
#include <QPointer>

class QPushButton;

namespace nodrel {

// The information window: shown at start, and again from the main window's "&Informazioni".
class Form1 : public QDialog {
    Q_OBJECT

public:
    // Shows the window, loading (and centring) it first when it is not loaded; a window already
    // shown comes to the front where it is.
    static Form1* Mostra();
    static Form1* Istanza();

    QPushButton* Command1;
    void Command1_Click();

protected:
    void closeEvent(QCloseEvent* evento) override;
    void reject() override;

private:
    Form1();
    void Form_Load();

    static QPointer<Form1> istanza_;
};

}  // namespace nodrel
