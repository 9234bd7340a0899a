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

intestazione = "COMU_COD,COMU_DESCR,COMU_PROV\n"
liste = [
    intestazione + "H501,ROMA,RM\nA001,FORLI',FC",
    "\ufeffCOMU_COD,COMU_DESCR,COMU_PROV\r\nH501,ROMA,RM\r\nA001,FORLI',FC\r\n",
    intestazione + "\"H501\",\"ROMA\",\"RM\"\nA001,\"FORLI'\",FC\n\n\r\n",
    intestazione + "\u00c0\u00c8\u00cc\u00d2," + "\u00c8" * 20 + ",PD\n",
    intestazione + "M335,BELLAGIO,CO\nZ404,\"STATI UNITI D'AMERICA\",EE\nA744,BELLAGIO,CO\n"
    "A001,\"VILLA, \"\"LA\"\" ROSA\",PD\n",
    intestazione + "H501,ROMA,RM\nA001,ABANO TERME\nH501,ROMA,RM\n",
    intestazione + "A001,\"ABANO,PD\n",
    intestazione + "A001,\"ABANO\"X,PD\n",
    intestazione + "A001,AB\"ANO,PD\n",
    intestazione + "A001,,PD\n",
    intestazione + "H501,ROMA,RM\n\nH501,ROMA,RM\n",
    intestazione + "A001,\"ABANO\nTERME\",PD\n",
    intestazione + "A01,ABANO,PD\n",
    "COMU_COD,COMU_NOME,COMU_PROV\nH501,ROMA,RM\n",
    intestazione,
]
semi = [(l.splitlines()[-1] if l.strip() else "vuoto", l.encode()) for l in liste]
semi += [("A001,CITT broken", (intestazione + "A001,CITT\xc3,PD\n").encode("latin-1")),
         ("overlong", intestazione.encode() + b"A001,AB\xc0\xaf,PD\n"),
         ("surrogate", intestazione.encode() + b"A001,AB\xed\xa0\x80,PD\n"),
         ("codice oltre U+FFFF", (intestazione + "AB\U0001F600C,ROMA,RM\n").encode()),
         ("codice di quattro unita", (intestazione + "A\U0001F600B,ROMA,RM\n").encode())]
elenco = (pathlib.Path(__file__).resolve().parent.parent / "data" / "comuni.csv").read_bytes()
semi.append(("inizio dell'elenco", b"".join(elenco.splitlines(keepends=True)[:40])))
scrivi("registro", semi)
