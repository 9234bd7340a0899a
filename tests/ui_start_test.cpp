#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>

#include "ui/info/form1.h"
#include "ui/main/form2.h"
#include "ui/toolkit/controlli.h"
#include "ui_harness.h"

using nodrel::Form1;
using nodrel::Form2;

TEST(Avvio, OkOpensTheMainWindowWithTheFocusOnTheSurname) {
    prova::Avvia();
    ASSERT_NE(Form1::Istanza(), nullptr);
    EXPECT_EQ(Form2::Istanza(), nullptr);
    Form1::Istanza()->Command1->click();
    prova::Elabora();
    Form2* f = Form2::Istanza();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(Form1::Istanza(), nullptr);
    EXPECT_EQ(prova::NomeFuoco(), "Text2");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}

TEST(Avvio, EnterChainComposesTheCode) {
    Form2* f = prova::ApriPrincipale();
    ASSERT_NE(f, nullptr);
    f->Text2->clear();
    prova::Scrivi("rossi");
    prova::Invio();
    EXPECT_EQ(prova::NomeFuoco(), "Text3");
    f->Text3->clear();
    prova::Scrivi("mario");
    prova::Invio();
    EXPECT_EQ(prova::NomeFuoco(), "Text5");
    prova::Scrivi("rom");
    EXPECT_EQ(f->Text5->text(), "ROMA");
    prova::Invio();
    EXPECT_EQ(prova::NomeFuoco(), "Text7");
    prova::Scrivi("01/01/1980");
    prova::Invio();
    EXPECT_EQ(prova::NomeFuoco(), "Cbosesso");
    prova::Invio();
    EXPECT_EQ(f->Text1->text(), "RSS MRA 80A01 H501 U");
    EXPECT_TRUE(prova::Messaggi().isEmpty());
}
