#pragma once

#include <QPointer>
#include <QWidget>
#include <utility>

#include "ui/toolkit/stato.h"

namespace nodrel {

// A window of which at most one is loaded at a time, as each of the program's windows is: loaded
// on first use (created, then its load handler Form_Load run where it has one), destroyed when
// closed, and loaded afresh by the next use. The window class derives from this one and from a
// QWidget, has Q_OBJECT, befriends this class for its constructor and load handler, and calls
// Scaricata() from its closeEvent. Which window of each kind is loaded is kept with the rest of
// the user interface's state, so that its reset unloads them all.
template <typename T>
class FinestraUnica {
public:
    // The loaded window, or nullptr.
    static T* Istanza() {
        return static_cast<T*>(Interfaccia().finestre.value(&T::staticMetaObject).data());
    }

    // Shows the window, loading it first when it is not loaded; a window already shown comes to
    // the front where it is.
    template <typename... Argomenti>
    static T* Mostra(Argomenti&&... argomenti) {
        T* finestra = Caricata(std::forward<Argomenti>(argomenti)...);
        finestra->show();
        finestra->raise();
        finestra->activateWindow();
        return finestra;
    }

protected:
    // The loaded window, or a newly loaded one when there is none.
    template <typename... Argomenti>
    static T* Caricata(Argomenti&&... argomenti) {
        if (T* finestra = Istanza()) {
            return finestra;
        }
        return Carica(std::forward<Argomenti>(argomenti)...);
    }

    // Loads a new window, the loaded one from then on, its load handler included; an earlier one
    // must have been unloaded.
    template <typename... Argomenti>
    static T* Carica(Argomenti&&... argomenti) {
        T* finestra = new T(std::forward<Argomenti>(argomenti)...);
        Interfaccia().finestre.insert(&T::staticMetaObject, finestra);
        if constexpr (requires(T & f) { f.Form_Load(); }) {
            finestra->Form_Load();
        }
        return finestra;
    }

    // A closed window counts as unloaded at once, before Qt deletes it.
    void Scaricata() {
        if (Istanza() == static_cast<T*>(this)) {
            Interfaccia().finestre.remove(&T::staticMetaObject);
        }
    }
};

}  // namespace nodrel
