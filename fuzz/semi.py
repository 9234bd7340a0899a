#!/usr/bin/env python3
"""Writes the seed corpus of each fuzz target (fuzz/corpus/<target>/) from the tests' cases.

Texts are UTF-16LE, as the targets read them; a target that takes several texts gets each but the
last behind one unit that holds its length. Run again after changing the cases below.
"""

import pathlib
import re
import shutil
import struct

CORPUS = pathlib.Path(__file__).resolve().parent / "corpus"


def utf16(testo):
    return testo.encode("utf-16-le", "surrogatepass")


def campi(*testi):
    dati = b""
    for t in testi[:-1]:
        u = utf16(t)
        dati += struct.pack("<H", len(u) // 2) + u
    return dati + utf16(testi[-1])


def nome_file(i, testo):
    parola = re.sub(r"[^A-Za-z0-9]+", "-", testo).strip("-").lower()[:40]
    return f"{i:02d}-{parola or 'vuoto'}"


def scrivi(target, semi):
    cartella = CORPUS / target
    shutil.rmtree(cartella, ignore_errors=True)
    cartella.mkdir(parents=True)
    for i, (etichetta, dati) in enumerate(semi):
        (cartella / nome_file(i, etichetta)).write_bytes(dati)


def testi(target, lista):
    scrivi(target, [(t, utf16(t)) for t in lista])


testi("cognome", ["ROSSI", "BIANCHI", "DE LUCA", "DE\tLUCA", "D'AMICO", "FO", "EA", "O", "",
                  "   ", "rossi", "\u00c0E"])
testi("nome", ["MARIO", "LUCA", "IDA", "EUA", "MATTIA", "BEATRICE", "GIANFRANCO", "BIANCHI",
               "ANNA MARIA", "D'AMICO", "mario", "", "  "])

date = [("17/03/1966", "M"), ("05/11/1980", "F"), ("31/12/1999", "F"), ("09/06/1966", "F"),
        ("01/01/2000", "M"), ("10/10/1910", "F"), ("17/03/1966", "f"), ("17/03/1966", "F "),
        ("01/ 3/1980", "M"), ("01/3/1980", "M"), ("25/04/45", "M"), ("01/13/1980", "F"),
        ("\uffff1/01/1980", "F"), ("\u00e0\u00e8/\u00ec\u00f2/\u00f9", "M"),
        ("29/02/1990", "M"), ("30/02/2000", "M"), ("01-01-1990", "M"), ("3A/01/1990", "M"),
        ("29/02", "M"), ("", ""), ("3", "M")]
scrivi("data_sesso", [(d + " " + s, campi(d, s)) for d, s in date])

testi("carattere_controllo", [
    "RSSMRA80A01H501", "MRARSS66C17F205", "BNCGFR99T71L219", "BNCGNN85L55F205", "",
    "RSSMRA80A01H501U", "RSSMRA80A01H501XYZ", "RSSMRA80A01", "-", "rssmra80a01h501", "aaaaaaaA",
    "aaaaaaaa", "aaaaaaaaaaaaaaa", "\u00c0\u00c8\u00cc", "\U0001F600"])
testi("togli_spazi", ["RSS MRA 80A01 H501 U", " ABCDEFGHIJKLMNOPQRST",
                      "R S S M R A 8 0 A 0 1 H 5 0 1 U", "A B", "  A  ", "", "   ",
                      "A\tB\u00a0C-D'e"])

persone = [
    ("ROSSI", "MARIO", "M", "01/01/1980", "H501", "RSS MRA 80A01 H501 U"),
    ("BIANCHI", "GIOVANNA", "F", "15/07/1985", "F205", "BNC GNN 85L55 F205 W"),
    ("DE LUCA", "ANNA MARIA", "F", "09/06/1966", "H501", "RSSMRA80A01H501V"),
    ("D'AMICO", "BEATRICE", "F", "31/12/1999", "L219", "D'M BRC 99T71 L219 U"),
    ("FO", "LUCA", "M", "17/03/1966", "F205", "R S S M R A 8 0 A 0 1 H 5 0 1 U"),
    ("ROSSI", "MARIO", "M", "01/01/1980", "?", "aaaaaaaaaaaaaaaL"),
    ("ROSSI", "MARIO", "M", "01/ 3/1980", "??", "J"),
    ("ROSSI", "MARIO", "F", "01/13/1980", "H501", ""),
    ("ROSSI", "MARIO", "F", " 1/01/1980", "", "    "),
]
scrivi("modulo", [(p[0] + " " + p[4], campi(*p)) for p in persone])

testi("estrai", ["RSSMRA80A01H501U", "RSS MRA 80A01 H501 U", "  RSSMRA80 A01H501U ",
                 "BNCLRA85M41Z404W", "VRDGPP13A01M206Q", "RSSMRA80A01H501V", "RSSMRA80A01H501u",
                 " ", "RSSMRA80A01H501", "RSSMRA80A01H499" + "Q", "RSSMRA80A01H50MM",
                 "rssmraulalmhrlmd", "01234567897", "FOXLCU66C17F205Z"])

# A list: its first byte says where the text is cut in two.
elenchi = [
    "codice;nome\r\nRSSMRA80A01H501U;Mario\r\nRSSMRA80A01H50MM\r\n\r\nJ\r\n",
    "\ufeff\"rss mra 80a01 h501 u\",x\n01234567897\n01234567890\nRSSMRA80Z01H501Q\nRSSMRA80A99H501Y",
    "RSSMRA80A01H5\u00c01U\tx\nRSS\"X\n" + "RSSMRA80A01H501U" * 300 + "\n",
]
scrivi("elenco", [(e[:20], bytes([i * 7]) + e.encode()) for i, e in enumerate(elenchi)])

# The register's build tool reads the municipality archive, a NUL byte, then the foreign states.
archivio = ("\"ID\",\"DATAISTITUZIONE\",\"DATACESSAZIONE\",\"CODCATASTALE\",\"DENOMTRASLITTERATA\","
            "\"ALTRADENOMTRASLITTERATA\",\"SIGLAPROVINCIA\",\"STATO\"\n")
usa = "CODAT,DENOMINAZIONE,DATAINIZIOVALIDITA,DATAFINEVALIDITA\nZ404,USA,01/01/1900,31/12/9999\n"
liste = [
    "1,1861-03-17,2014-02-03,A744,BELLAGIO,,CO,C\n2,2014-02-04,9999-12-31,M335,bellagio,,CO,A\n",
    "1,1861-03-17,9999-12-31,C337,CASTRO,,BG,A\n2,1975-05-28,9999-12-31,M261,CASTRO,,LE,A\n",
    "1,1866-11-19,1924-11-13,A001,ABANO,,PD,C\n2,1924-11-14,9999-12-31,A001,ABANO TERME,,PD,A",
    "1,\"1927-01-12\",\"9999-12-31\",\"A952\",\"BOLZANO\",\"BOZEN\",\"BZ\",\"A\"\r\n\r\n",
    "1,1861-03-17,1911-07-04,ND,ARIZZANO,,NO,C\n2,1861-03-17,9999-12-31,A001,\"VILLA, \"\"LA\"\"\",,PD,A\n",
    "1,1924-11-14,1866-11-19,A001,ABANO,,PD,C\n",
    "1,1861-03-17,9999-12-31,A\U0001F600B,ROMA,PL\u00c0US,RM,A\n",
]
semi = [(" ".join(l.split(",")[3:5]), (archivio + l).encode() + b"\0" + usa.encode()) for l in liste]
semi += [("solo archivio", (archivio + liste[0]).encode()),
         ("liste scambiate", usa.encode() + b"\0" + (archivio + liste[0]).encode()),
         ("citt broken", archivio.encode() + b"1,1861-03-17,9999-12-31,A001,CITT\xc3,,PD,A\n\0")]
dati = pathlib.Path(__file__).resolve().parent.parent / "data"
inizio = [b"".join((dati / f).read_bytes().splitlines(keepends=True)[:30])
          for f in ("ANPR_archivio_comuni.csv", "ANPR_tabella_stati_esteri.csv")]
semi.append(("inizio delle liste", inizio[0] + b"\0" + inizio[1]))
scrivi("registro", semi)
