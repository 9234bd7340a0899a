#pragma once

#include <QString>
#include <exception>
#include <new>
#include <string>

#include "engine/errore.h"

class QWidget;

namespace nodrel {

inline constexpr char kTitoloApplicazione[] = "Nodrel";

// A modal message box: the text, an OK button only, no icon, the application's title.
void MsgBox(QWidget* proprietario, const QString& testo);
void MsgBox(QWidget* proprietario, const std::u16string& testo);

void MostraErrore(QWidget* proprietario, const NODREL1::Errore& errore);

// Runs a step under the error trap: an error it raises is shown as "FasMsg: <number>
// <description>" and ends the step; the program goes on.
template <typename Passo>
void ConTrappola(QWidget* proprietario, Passo&& passo) {
    try {
        passo();
    } catch (const NODREL1::Errore& e) {
        MostraErrore(proprietario, e);
    } catch (const std::bad_alloc&) {
        MostraErrore(proprietario,
                     NODREL1::Errore(NODREL1::kErrMemoriaEsaurita, u"Memoria esaurita"));
    } catch (const std::exception&) {
        MostraErrore(proprietario, NODREL1::Errore(NODREL1::kErrInterno, u"Errore interno"));
    }
}

}  // namespace nodrel
