"""What a screen reader finds in the running program, through the AT-SPI tree: each field named as
its label with its tool tip as the description, each picture and button by its name, and each
command pressed by the reader as a blind user would, the data typed on the keyboard."""

import subprocess
import sys
import time

import pyatspi


def fallito(messaggio):
    print("FAILED: " + messaggio)
    sys.exit(1)


def attendi(prova, cosa, secondi=15):
    fine = time.time() + secondi
    while time.time() < fine:
        trovato = prova()
        if trovato:
            return trovato
        time.sleep(0.2)
    fallito("no " + cosa)


def programma():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "Nodrel":
            return app
    return None


def cerca(radice, ruolo, nome=None):
    """The first object of a role (and name) below `radice` that is showing or in a menu."""
    def adatto(o):
        return (o.getRoleName() == ruolo and (nome is None or o.name == nome) and
                o.getState().contains(pyatspi.STATE_VISIBLE))
    return pyatspi.findDescendant(radice, adatto)


def finestra(ruolo, nome, dentro):
    """A window of the program that holds an object named `dentro`."""
    def trova():
        app = programma()
        for f in (app or []):
            if f is not None and f.getRoleName() in ruolo.split("|") and f.name == nome and \
                    pyatspi.findDescendant(f, lambda o: o.name == dentro):
                return f
        return None
    return trova


def premi(oggetto):
    azioni = oggetto.queryAction()
    if azioni.nActions < 1:
        fallito(oggetto.name + " cannot be pressed")
    azioni.doAction(0)


def testo(oggetto):
    return oggetto.queryText().getText(0, -1)


def etichettato_da(oggetto):
    for relazione in oggetto.getRelationSet():
        if relazione.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            return relazione.getTarget(0).name
    return None


def rispondi_ok(testo_atteso):
    """A message box of the program: its text read, its OK pressed."""
    box = attendi(finestra("alert|dialog", "Nodrel", "OK"), "message box " + testo_atteso)
    if not pyatspi.findDescendant(box, lambda o: o.name == testo_atteso):
        fallito("message box without " + testo_atteso)
    premi(cerca(box, "push button", "OK"))
    attendi(lambda: not finestra("alert|dialog", "Nodrel", "OK")(), "message box closed")


informazioni = attendi(finestra("dialog", "Nodrel", "OK"), "information window")
if not cerca(informazioni, "image", "Logo di Lorventa"):
    fallito("the logo has no name")
premi(cerca(informazioni, "push button", "OK"))
principale = attendi(finestra("frame", "Nodrel", "Cognome"), "main window")

# Each field: its name, what it is, what its tool tip says, and the label beside it.
CAMPI = [
    ("Codice fiscale", "CODICE FISCALE",
     "Inserire il codice fiscale solo si si vuole fare un controllo o si vogliono estrarre i dati"),
    ("Cognome", "COGNOME", "Inserire il cognome o i cognomi senza lasciare spazi"),
    ("Nome", "NOME", "Inserire il nome o i nomi senza lasciare spazi"),
    ("Luogo di nascita", "LUOGO DI NASCITA",
     "Inserire i primi caratteri del nome del comune. Confermare con INVIO quando appare il nome "
     "completo"),
    ("Provincia", "PROVINCIA", "L'inserimento della provincia avverra' in modo automatico"),
    ("Data di nascita", "DATA DI NASCITA", "Inserire la data nel formato GG/MM/AAAA"),
]
campi = {}
for nome, etichetta, descrizione in CAMPI:
    campo = cerca(principale, "text", nome)
    if not campo:
        fallito("no field " + nome)
    if campo.description != descrizione or etichettato_da(campo) != etichetta:
        fallito("%s: %r labelled by %r" % (nome, campo.description, etichettato_da(campo)))
    campi[nome] = campo
# On Linux Qt names a combo box by its value; the reader names it by its label.
sesso = cerca(principale, "combo box")
if etichettato_da(sesso) != "SESSO" or not sesso.description:
    fallito("sex box: %r labelled by %r" % (sesso.description, etichettato_da(sesso)))

PULSANTI = {
    "Anteprima di stampa": "Visualizza l'anteprima di stampa",
    "Cancella contenuto campi": "Cancella il contenuto dei vari campi",
    "Estrai dati dal codice fiscale": "Ricava luogo di nascita e data di nascita dal codice fiscale",
    "Calcola codice fiscale": "Calcola il codice fiscale utilizzando i dati inseriti",
    "Controlla codice fiscale": "Controlla la correttezza del codice fiscale inserito",
}
pulsanti = {}
for nome, descrizione in PULSANTI.items():
    pulsante = cerca(principale, "push button", nome)
    if not pulsante or pulsante.description != descrizione:
        fallito("picture " + nome)
    pulsanti[nome] = pulsante
# Every command of the menus can be pressed.
menu = {}
for voce in pyatspi.findAllDescendants(principale, lambda o: o.getRoleName() == "menu item"):
    if voce.childCount == 0:
        if voce.queryAction().nActions < 1:
            fallito("menu item %s cannot be pressed" % voce.name)
        menu[voce.name] = voce
for voce in ["Imposta Stampante", "Anteprima di Stampa", "Esporta PDF...", "Esci",
             "Calcola Codice Fiscale", "Estrai Dati dal Codice Fiscale", "Verifica elenco...",
             "Cancella cronologia", "Informazioni"]:
    if voce not in menu:
        fallito("no menu item " + voce)

# Typed as a blind user types, the rest done through the reader.
subprocess.run(["xdotool", "type", "--delay", "33", "ROSSI\rMARIO\rROMA\r01/01/1980\r"],
               check=True)
time.sleep(0.5)
premi(pulsanti["Calcola codice fiscale"])
attendi(lambda: testo(campi["Codice fiscale"]) == "RSS MRA 80A01 H501 U", "composed code")
premi(pulsanti["Controlla codice fiscale"])
rispondi_ok("CODICE FISCALE CORRETTO")

premi(pulsanti["Anteprima di stampa"])
anteprima = attendi(finestra("dialog", "ANTEPRIMA DI STAMPA", "Chiudi"), "preview")
tessera = cerca(anteprima, "filler", "Tessera del codice fiscale") or \
    pyatspi.findDescendant(anteprima, lambda o: o.name == "Tessera del codice fiscale")
if not tessera or "RSS MRA 80A01 H501 U" not in tessera.description:
    fallito("the card does not read its code")
premi(cerca(anteprima, "push button", "Chiudi"))
attendi(lambda: not finestra("dialog", "ANTEPRIMA DI STAMPA", "Chiudi")(), "preview closed")

premi(pulsanti["Cancella contenuto campi"])
attendi(lambda: testo(campi["Cognome"]) == "", "cleared fields")
# The person just composed is the first of the recent ones.
recente = attendi(lambda: pyatspi.findDescendant(
    principale, lambda o: o.getRoleName() == "menu item" and
    o.name == "1 ROSSI MARIO - RSS MRA 80A01 H501 U"), "recent person")
premi(recente)
attendi(lambda: testo(campi["Cognome"]) == "ROSSI", "recent person's fields")
premi(menu["Estrai Dati dal Codice Fiscale"])
attendi(lambda: testo(campi["Luogo di nascita"]) == "ROMA" and testo(campi["Nome"]) == "MRA",
        "decoded fields")
print("screen reader OK")
