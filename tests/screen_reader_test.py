"""The running program through the AT-SPI tree, as a screen reader meets it: each field named as
its label, each picture as its command, each with its tool tip read, every command pressed
through the reader; the data typed on the keyboard, as a blind user types them."""

import subprocess
import sys
import time

import pyatspi


def attendi(prova, cosa):
    for _ in range(75):
        if trovato := prova():
            return trovato
        time.sleep(0.2)
    sys.exit("FAILED: no " + cosa)


def cerca(radice, ruolo, nome):
    """Shown, or in a menu, which a reader reads closed."""
    return pyatspi.findDescendant(radice, lambda o: o.getRoleName() in ruolo.split("|") and (
        o.name == nome and (ruolo == "menu item" or o.getState().contains(pyatspi.STATE_VISIBLE))))


def finestra(ruolo, nome, dentro):
    """A window of the program holding an object named `dentro`, once there is one."""
    def trova():
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "Nodrel":
                return next((f for f in app if f.getRoleName() in ruolo.split("|") and
                             f.name == nome and pyatspi.findDescendant(
                                 f, lambda o: o.name == dentro)), None)
    return trova


premi = lambda o: o.queryAction().doAction(0)  # noqa: E731
testo = lambda o: o.queryText().getText(0, -1)  # noqa: E731
etichetta = lambda o: [r.getTarget(0).name for r in o.getRelationSet()  # noqa: E731
                       if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]

premi(cerca(attendi(finestra("dialog", "Nodrel", "Logo di Lorventa"), "first window"),
            "push button", "OK"))
f = attendi(finestra("frame", "Nodrel", "Cognome"), "main window")
# Qt on Linux names a combo box by its value: the reader takes the label's.
for ruolo, nome, didascalia in [
        ("text", "Codice fiscale", "CODICE FISCALE"), ("text", "Cognome", "COGNOME"),
        ("text", "Nome", "NOME"), ("text", "Luogo di nascita", "LUOGO DI NASCITA"),
        ("text", "Provincia", "PROVINCIA"), ("text", "Data di nascita", "DATA DI NASCITA"),
        ("combo box", "M", "SESSO"), ("push button", "Anteprima di stampa", None),
        ("push button", "Cancella contenuto campi", None),
        ("push button", "Estrai dati dal codice fiscale", None),
        ("push button", "Calcola codice fiscale", None),
        ("push button", "Controlla codice fiscale", None)]:
    o = cerca(f, ruolo, nome)
    if not o or not o.description or (didascalia and etichetta(o) != [didascalia]):
        sys.exit("FAILED: %s %s: %r, %r" % (ruolo, nome, o and o.description, o and etichetta(o)))
menu = {v.name: v for v in pyatspi.findAllDescendants(
    f, lambda o: o.getRoleName() == "menu item" and o.childCount == 0)}
if len(menu) < 14 or any(v.queryAction().nActions < 1 for v in menu.values()):
    sys.exit("FAILED: menu items that cannot be pressed: %r" % sorted(menu))
campo = {n: cerca(f, "text", n) for n in ("Codice fiscale", "Cognome", "Nome", "Luogo di nascita")}

subprocess.run(["xdotool", "type", "--delay", "33", "ROSSI\rMARIO\rROMA\r01/01/1980\r"],
               check=True)
premi(cerca(f, "push button", "Calcola codice fiscale"))
attendi(lambda: testo(campo["Codice fiscale"]) == "RSS MRA 80A01 H501 U", "composed code")
# A message box read and answered: the reader's press comes back before the box opens.
premi(cerca(f, "push button", "Controlla codice fiscale"))
premi(cerca(attendi(finestra("alert|dialog", "Nodrel", "CODICE FISCALE CORRETTO"), "message"),
            "push button", "OK"))
premi(cerca(f, "push button", "Anteprima di stampa"))
# The card reads its values.
anteprima = attendi(finestra("dialog", "ANTEPRIMA DI STAMPA", "Tessera del codice fiscale"),
                    "preview")
if "RSS MRA 80A01 H501 U" not in pyatspi.findDescendant(
        anteprima, lambda o: o.name == "Tessera del codice fiscale").description:
    sys.exit("FAILED: the card does not read its code")
premi(cerca(anteprima, "push button", "Chiudi"))
premi(cerca(f, "push button", "Cancella contenuto campi"))
attendi(lambda: testo(campo["Cognome"]) == "", "fields cleared")
# The person just composed comes back from the recent ones; decoding then rewrites the names.
premi(attendi(lambda: cerca(f, "menu item", "1 ROSSI MARIO - RSS MRA 80A01 H501 U"), "recent"))
attendi(lambda: testo(campo["Cognome"]) == "ROSSI", "the recent person's fields")
premi(menu["Estrai Dati dal Codice Fiscale"])
attendi(lambda: testo(campo["Nome"]) == "MRA" and testo(campo["Luogo di nascita"]) == "ROMA",
        "decoded fields")
print("screen reader OK")
