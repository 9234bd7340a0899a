#pragma once

#include <string>

namespace NODREL1 {

// The main window's fields that the engine reads and writes.
enum class Campo { Text1, Text2, Text3, Text5, Text6, Text7, Text8 };

// What the engine needs of the main window. The window connects itself while it is loaded.
class Finestra {
public:
    virtual ~Finestra() = default;

    virtual std::u16string Testo(Campo campo) = 0;
    virtual void ImpostaTesto(Campo campo, const std::u16string& testo) = 0;
    virtual void DaiFuoco(Campo campo) = 0;
    // Selects the whole text of a field, so that typing replaces it.
    virtual void SelezionaTutto(Campo campo) = 0;
    // Selects an entry of the sex list: 0 is "M", 1 is "F".
    virtual void SelezionaSesso(int voce) = 0;
    // A modal message box with an OK button only, titled with the application's name.
    virtual void MsgBox(const std::u16string& testo) = 0;
    // From now on letters typed into the main window arrive in upper case.
    virtual void AccendiMaiuscole() = 0;
};

// Connects the main window (nullptr when it unloads).
void CollegaFinestra(Finestra* finestra);
Finestra* FinestraCollegata();

}  // namespace NODREL1
