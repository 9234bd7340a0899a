#!/usr/bin/env python3
"""Makes the lists of this folder as offices make them, and their answers.

Each workbook is described once below, cell by cell. The script writes it as a flat ODF file,
lets LibreOffice Calc open it and save it in each of its formats (and its CSV exports), lets
Gnumeric open Calc's .ods and save it in its own, and writes beside every file what a reader
must find in it: `.celle` (the cells as the suite shows them) and `.verifica` (the output of
`nodrel --verifica` on it). With --controlla it then opens every file again with the suite
that wrote it and compares what the suite shows with the description.

    tests/elenchi/genera.py [--controlla]     (needs soffice and ssconvert; a minute or two)
"""

import csv
import datetime
import io
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile
from dataclasses import dataclass, field
from xml.sax.saxutils import escape, quoteattr

QUI = pathlib.Path(__file__).resolve().parent
NBSP = "\u00a0"

# ---------------------------------------------------------------------------------------------
# Cells


@dataclass
class Cella:
    tipo: str  # "s" text, "n" number, "d" date, "b" boolean
    valore: object
    stile: str = ""  # "data", "breve", "lunga", "zeri11", "euro", "titolo"
    formula: str = ""  # ODF formula, its value cached in `valore`
    nota: str = ""  # a comment on the cell
    unite: int = 1  # columns merged from this one


def T(testo, **k):
    return Cella("s", testo, **k)


def D(anno, mese, giorno, stile="data", **k):
    return Cella("d", datetime.date(anno, mese, giorno), stile, **k)


def N(numero, stile="", **k):
    return Cella("n", numero, stile, **k)


def B(vero, **k):
    return Cella("b", vero, **k)


MESI = ["gennaio", "febbraio", "marzo", "aprile", "maggio", "giugno", "luglio", "agosto",
        "settembre", "ottobre", "novembre", "dicembre"]


def Generale(x):
    """A number as the General format shows it in Italian: its digits, a decimal comma."""
    if float(x).is_integer() and abs(x) < 1e15:
        return str(int(x))
    return repr(float(x)).replace(".", ",")


def Mostrata(c):
    """What Calc shows in the cell, in Italian."""
    if c.tipo == "s":
        return c.valore
    if c.tipo == "b":
        return "VERO" if c.valore else "FALSO"
    if c.tipo == "d":
        d = c.valore
        if c.stile == "breve":
            return d.strftime("%d/%m/%y")
        if c.stile == "lunga":
            return f"{d.day} {MESI[d.month - 1]} {d.year}"
        return d.strftime("%d/%m/%Y")
    if c.stile == "zeri11":
        return f"{int(c.valore):011d}"
    if c.stile == "euro":
        intero, decimali = f"{c.valore:,.2f}".split(".")
        return intero.replace(",", ".") + "," + decimali
    return Generale(c.valore)


def Consegnata(c):
    """What a reader hands over for the cell: dates as GG/MM/AAAA, integers as their digits
    (padded by a format of noughts), other numbers in the General format, outer blanks off."""
    if c.tipo == "s":
        return c.valore.strip(" \t\r\n" + NBSP)
    if c.tipo == "d":
        return c.valore.strftime("%d/%m/%Y")
    if c.tipo == "n" and c.stile == "zeri11":
        return f"{int(c.valore):011d}"
    if c.tipo == "n":
        return Generale(c.valore)
    return Mostrata(c)


# ---------------------------------------------------------------------------------------------
# The workbooks


@dataclass
class Foglio:
    nome: str
    righe: dict  # row number (from 1) -> list of cells (None for an empty one)
    righe_nascoste: set = field(default_factory=set)
    colonne_nascoste: set = field(default_factory=set)  # from 0
    # row number -> (code, esito, motivo) of `nodrel --verifica` on it
    esiti: dict = field(default_factory=dict)


def Persone(prima, righe):
    """Rows from `prima` on; each is its cells, then the code, esito and motivo expected."""
    celle, esiti = {}, {}
    for n, (valori, codice, esito, motivo) in enumerate(righe, start=prima):
        celle[n] = [v if isinstance(v, Cella) or v is None else T(v) for v in valori]
        esiti[n] = (codice, esito, motivo)
    return celle, esiti


# Employees, with all that a clerk's list holds: a merged title, a hidden column and row, real
# dates and dates typed as text, formulas, comments, a cell with a line break, a no-break space
# after a code, accents, homonyms, a municipality no longer in force, mistyped names beside right
# codes, an omocode, a wrong check character, people without a code, a repeated code.
d, e = Persone(4, [
    (["ROSSI", "MARIO", "Amministrazione", "M", D(1980, 1, 1), "Roma", "RM", "RSSMRA80A01H501U"],
     "RSSMRA80A01H501U", "CORRETTO", ""),
    (["BIANCHI", "LAURA", "Vendite", "F", D(1985, 3, 15), "Milano", "MI",
      T("BNCLRA85C55F205D", nota="Verificato con la tessera sanitaria")],
     "BNCLRA85C55F205D", "CORRETTO", ""),
    (["D'ANGELO", "GIUSEPPE", "Magazzino", "M", D(1972, 7, 21), "Napoli", "NA",
      "DNGGPP72L21F839C"], "DNGGPP72L21F839C", "CORRETTO", ""),
    (["RUSSO", "FRANCESCA", "Vendite", "F", D(1994, 11, 2), "Forlì", "FC", "RSSFNC94S42D704K"],
     "RSSFNC94S42D704K", "CORRETTO", ""),
    (["COLOMBO", "ANDREA", "Magazzino", "M", D(1968, 6, 30), "San Donà di Piave", "VE",
      "CLMNDR68H30H823U", "part-time\ndal 1/4"], "CLMNDR68H30H823U", "CORRETTO", ""),
    (["DE LUCA", "NICOLÒ", "Amministrazione", "M", D(1999, 9, 9), "Torino", "TO",
      "DLCNCL99P09L219O"], "DLCNCL99P09L219O", "CORRETTO", ""),
    (["FERRARI", "GIULIA", "Vendite", "F", D(1975, 12, 12), "Bologna", "BO",
      "FRRGLI75T52A944G" + NBSP], "FRRGLI75T52A944G", "CORRETTO", ""),
    (["ESPOSITO", "ANTONIO", "Magazzino", "M", D(1985, 5, 5), "Castro", "LE", "SPSNTN85E05M261S"],
     "SPSNTN85E05M261S", "CORRETTO", ""),
    (["GALLI", "MARTA", "Amministrazione", "F", D(1962, 4, 18), "Castro", "BG",
      "GLLMRT62D58C337Q"], "GLLMRT62D58C337Q", "CORRETTO", ""),
    (["MARINO", "LUCA", "Magazzino", "M", D(1988, 2, 23), "Castro", None, "MRNLCU88B23M261U"],
     "MRNLCU88B23M261U", "CORRETTO", "comune omonimo: indicare la provincia"),
    (["RICCI", "ELENA", "Vendite", "F", "1/2/1990", "Genova", "GE", "RCCLNE90B41D969W"],
     "RCCLNE90B41D969W", "CORRETTO", ""),
    (["BRUNO", "PAOLO", "Magazzino", "M", "01.02.1990", "Palermo", "PA", "BRNPLA90B01G273Y"],
     "BRNPLA90B01G273Y", "CORRETTO", ""),
    (["GRECO", "SARA", "Amministrazione", "F", "15/03/80", "Bari", "BA", "GRCSRA80C55A662B"],
     "GRCSRA80C55A662B", "CORRETTO", ""),
    (["CONTI", "MARCO", "Magazzino", "M", D(2015, 10, 10), "Civenna", "CO", "CNTMRC15R10C754Y"],
     "CNTMRC15R10C754Y", "CORRETTO", "comune non in vigore alla data di nascita"),
    (["LOMBARDI", "CHIARA", "Vendite", None, D(1983, 8, 27), "Verona", "VR", "LMBCHR83M67L781V"],
     "LMBCHR83M67L781V", "CORRETTO", "sesso mancante"),
    (["MORETTI", "ALESSANDRO", "Magazzino", "X", D(1979, 2, 14), "Padova", "PD",
      "MRTLSN79B14G224N"], "MRTLSN79B14G224N", "CORRETTO", "sesso non valido"),
    (["BARPIERI", "STEFANO", "Amministrazione", "M", D(1971, 6, 3), "Trieste", "TS",
      "BRBSFN71H03L424E"], "BRBSFN71H03L424E", "NON CORRISPONDE",
     "cognome: atteso BRP, carattere di controllo: atteso H"),
    (["FONTANA", "MATEO", "Vendite", "M", D(1992, 1, 19), "Bergamo", "BG", "FNTMTT92A19A794K"],
     "FNTMTT92A19A794K", "NON CORRISPONDE", "nome: atteso MTA, carattere di controllo: atteso R"),
    (["CARUSO", "ROSARIA", "Magazzino", "F", D(1957, 7, 7), "Catania", "CT", "CRSRSR57L47C35MB"],
     "CRSRSR57L47C35MB", "CORRETTO", "omocodico"),
    (["GATTI", "SIMONE", "Vendite", "M", D(1991, 11, 11), "Parma", "PR", "GTTSMN91S11G337K"],
     "GTTSMN91S11G337K", "ERRATO", "carattere di controllo errato (atteso J)"),
    (["SANTORO", "GIORGIA", "Amministrazione", "F", D(2001, 3, 3), "Firenze", "FI", None,
      "assunta il 1/3/2025"], "SNTGRG01C43D612X", "CORRETTO", "codice calcolato"),
    (["MARCHETTI", "ROBERTO", "Magazzino", "M", D(1964, 12, 25), "Ancona", "AN",
      "MRCRRT64T25A271O", "cessato"], "MRCRRT64T25A271O", "CORRETTO", ""),
    (["ROSSI", "MARIO", "Vendite", "M", D(1980, 1, 1), "Roma", "RM", "RSSMRA80A01H501U"],
     "RSSMRA80A01H501U", "CORRETTO", "duplicato della riga 4"),
    ([T("PELLEGRINI", formula='of:=UPPER("pellegrini")'), "GIANNI", "Magazzino", "M",
      D(1970, 5, 15), "Roma", "RM",
      T("PLLGNN70E15H501N", formula='of:=CONCATENATE("PLL";"GNN";"70E15";"H501";"N")')],
     "PLLGNN70E15H501N", "CORRETTO", ""),
    ([T("SERRA", nota="Cognome da nubile"), "ANNA MARIA", "Amministrazione", "F",
      D(1984, 2, 29), "Cagliari", "CA", "SRRNMR84B69B354B"], "SRRNMR84B69B354B", "CORRETTO", ""),
    (["CAPUTO", "IDA", "Vendite", "F", D(1948, 10, 31), "Lecce", "LE", "CPTDIA48R71E506Q"],
     "CPTDIA48R71E506Q", "CORRETTO", ""),
    (["MANCINI", "LORENZO", "Magazzino", "M", D(2008, 8, 8), "Perugia", "PG", None,
      "apprendista"], "MNCLNZ08M08G478X", "CORRETTO", "codice calcolato"),
    (["VITALE", "BEATRICE", "Vendite", "F", D(1966, 4, 20), "Salerno", "SA", "VTLBRC66D60H703G"],
     "VTLBRC66D60H703G", "CORRETTO", ""),
])
d[1] = [T("Elenco dipendenti al 31/12/2024", stile="titolo", unite=9)]
d[3] = [T(t) for t in ["Cognome", "Nome", "Reparto", "Sesso", "Data di nascita",
                       "Comune di nascita", "Prov.", "Codice fiscale", "Note"]]
DIPENDENTI = [Foglio("Dipendenti", d, righe_nascoste={25}, colonne_nascoste={2}, esiti=e)]

# A cover sheet first; the codes on the second sheet.
d, e = Persone(2, [
    (["ROSSI", "MARIO", "M", D(1980, 1, 1), "Roma", "RM", "RSSMRA80A01H501U"],
     "RSSMRA80A01H501U", "CORRETTO", ""),
    (["BIANCHI", "LAURA", "F", D(1985, 3, 15), "Milano", "MI", "BNCLRA85C55F205D"],
     "BNCLRA85C55F205D", "CORRETTO", ""),
    (["D'ANGELO", "GIUSEPPE", "M", D(1972, 7, 21), "Napoli", "NA", "DNGGPP72L21F839C"],
     "DNGGPP72L21F839C", "CORRETTO", ""),
    (["RUSSO", "FRANCESCA", "F", D(1994, 11, 2), "Forlì", "FC", "RSSFNC94S42D704K"],
     "RSSFNC94S42D704K", "CORRETTO", ""),
    (["COLOMBO", "ANDREA", "M", D(1968, 6, 30), "San Donà di Piave", "VE", "CLMNDR68H30H823U"],
     "CLMNDR68H30H823U", "CORRETTO", ""),
    (["DE LUCA", "NICOLÒ", "M", D(1999, 9, 9), "Torino", "TO", "DLCNCL99P09L219O"],
     "DLCNCL99P09L219O", "CORRETTO", ""),
    (["FERRARI", "GIULIA", "F", D(1975, 12, 12), "Bologna", "BO", "FRRGLI75T52A944G"],
     "FRRGLI75T52A944G", "CORRETTO", ""),
    (["CAPUTO", "IDA", "F", D(1948, 10, 31), "Lecce", "LE", "CPTDIA48R71E506Q"],
     "CPTDIA48R71E506Q", "CORRETTO", ""),
])
d[1] = [T(t) for t in ["Cognome", "Nome", "Sesso", "Data di nascita", "Luogo di nascita",
                       "Provincia", "Codice Fiscale"]]
COPERTINA = [
    Foglio("Copertina", {
        1: [T("Ditta Rossi & Figli S.n.c.", stile="titolo")],
        3: [T("Elenco del personale per la sorveglianza sanitaria")],
        5: [T("Data"), D(2025, 1, 31, "lunga")],
        6: [T("Numero dipendenti"), N(8, formula="of:=COUNTA([Dipendenti.A2:A9])")],
        7: [T("Redatto da"), T("Ufficio personale")],
        8: [T("Inviato"), B(False)],
    }),
    Foglio("Dipendenti", d, esiti=e),
    Foglio("Note", {1: [T("Aggiornare l'elenco entro il 31 marzo")]}),
]

# Customers: their own numbers in a column "Codice" left of the tax code; companies' codes of
# eleven digits kept as numbers with a format of noughts, one as text; amounts with two decimals.
d, e = Persone(2, [
    ([N(1001), "Bianchi Laura", "BNCLRA85C55F205D", "Milano", N(1234.5, "euro")],
     "BNCLRA85C55F205D", "CORRETTO", ""),
    ([N(1002), "Edilizia Nord S.r.l.", N(1234567897, "zeri11"), "Bergamo", N(25000, "euro")],
     "01234567897", "CORRETTO", ""),
    ([N(1003), "Rossi Mario", "RSSMRA80A01H501U", "Roma", N(980.75, "euro")],
     "RSSMRA80A01H501U", "CORRETTO", ""),
    ([N(1004), "Trasporti Veloci S.p.A.", N(804150415, "zeri11"), "Verona",
      N(150320.2, "euro")], "00804150415", "CORRETTO", ""),
    ([N(1005), "Studio Greco", "GRCSRA80C55A662B", "Bari", N(0, "euro")],
     "GRCSRA80C55A662B", "CORRETTO", ""),
    ([N(1006), "Alimentari Sud S.r.l.", N(12345678903, "zeri11"), "Napoli"],
     "12345678903", "CORRETTO", ""),
    ([N(1007), "Colombo Andrea", "CLMNDR68H30H823U", "San Donà di Piave", N(3200, "euro")],
     "CLMNDR68H30H823U", "CORRETTO", ""),
    ([N(1008), "Officina Meccanica S.n.c.", "00456789015", "Padova"],
     "00456789015", "CORRETTO", ""),
    ([N(1009), "Serramenti Gatti S.r.l.", N(98765432104, "zeri11"), "Parma", N(47.3, "euro")],
     "98765432104", "ERRATO", "cifra di controllo errata"),
])
d[1] = [T(t) for t in ["Codice", "Cliente", "Cod. Fiscale", "Comune", "Fatturato 2024"]]
CLIENTI = [Foglio("Clienti", d, esiti=e)]

# Only the code and the names: what is there is compared.
d, e = Persone(2, [
    (["RSSMRA80A01H501U", "BIANCHI", "LAURA"], "RSSMRA80A01H501U", "NON CORRISPONDE",
     "cognome: atteso BNC, nome: atteso LRA"),
    (["BNCLRA85C55F205D", "BIANCHI", "LAURA"], "BNCLRA85C55F205D", "CORRETTO", ""),
    (["DNGGPP72L21F839C", "D'ANGELO", "GIUSEPPE"], "DNGGPP72L21F839C", "CORRETTO", ""),
    (["CRSRSR57L47C3RMN", "CARUSO", "ROSARIA"], "CRSRSR57L47C3RMN", "CORRETTO", "omocodico"),
    (["GTTSMN91S11G337K", "GATTI", "SIMONE"], "GTTSMN91S11G337K", "ERRATO",
     "carattere di controllo errato (atteso J)"),
    (["FNTMTT92A19A794K", "FONTANA", "MATEO"], "FNTMTT92A19A794K", "NON CORRISPONDE",
     "nome: atteso MTA"),
    (["SRRNMR84B69B354B", "SERRA", "ANNA MARIA"], "SRRNMR84B69B354B", "CORRETTO", ""),
    (["PLLGNN70E15H501N", "PELEGRINI", "GIANNI"], "PLLGNN70E15H501N", "NON CORRISPONDE",
     "cognome: atteso PLG"),
    (["VTLBRC66D60H703G", "VITALE", "BEATRICE"], "VTLBRC66D60H703G", "CORRETTO", ""),
])
d[1] = [T(t) for t in ["Codice Fiscale", "Cognome", "Nome"]]
SOLO_CODICI = [Foglio("Foglio1", d, esiti=e)]

# People without codes, for --componi: dates in Calc's short format and typed as text, sex
# empty or unknown, homonyms told and not told by the date, names in lower case.
d, e = Persone(2, [
    (["MANCINI", "LORENZO", "M", D(2008, 8, 8, "breve"), "Perugia", "PG"],
     "MNCLNZ08M08G478X", "CORRETTO", "codice calcolato"),
    (["SANTORO", "GIORGIA", "F", D(2001, 3, 3, "breve"), "Firenze", "FI"],
     "SNTGRG01C43D612X", "CORRETTO", "codice calcolato"),
    (["RUSSO", "FRANCESCA", "F", "2/11/1994", "Forlì", "FC"],
     "RSSFNC94S42D704K", "CORRETTO", "codice calcolato"),
    (["COLOMBO", "ANDREA", "M", "30.06.1968", "San Donà di Piave", "VE"],
     "CLMNDR68H30H823U", "CORRETTO", "codice calcolato"),
    (["GRECO", "SARA", "F", "15/03/80", "Bari", "BA"],
     "GRCSRA80C55A662B", "CORRETTO", "codice calcolato"),
    (["CONTI", "MARCO", "M", D(2015, 10, 10, "breve"), "Civenna", "CO"],
     "CNTMRC15R10C754Y", "CORRETTO", "codice calcolato, comune non in vigore alla data di nascita"),
    (["MARINO", "LUCA", "M", D(1988, 2, 23, "breve"), "Castro", None],
     "", "ERRATO", "comune omonimo: indicare la provincia"),
    (["ALTIERI", "PIERO", "M", D(1960, 3, 12, "breve"), "Castro", None],
     "LTRPRI60C12C337N", "CORRETTO", "codice calcolato"),
    (["ESPOSITO", "ANTONIO", "M", D(1985, 5, 5, "breve"), "Castro", "LE"],
     "SPSNTN85E05M261S", "CORRETTO", "codice calcolato"),
    (["LOMBARDI", "CHIARA", None, D(1983, 8, 27, "breve"), "Verona", "VR"],
     "", "ERRATO", "sesso mancante"),
    (["MORETTI", "ALESSANDRO", "X", D(1979, 2, 14, "breve"), "Padova", "PD"],
     "", "ERRATO", "sesso non valido"),
    (["D'ANGELO", "GIUSEPPE", "M", D(1972, 7, 21, "breve"), "Napoli", "NA"],
     "DNGGPP72L21F839C", "CORRETTO", "codice calcolato"),
    (["DE LUCA", "NICOLÒ", "M", D(1999, 9, 9, "breve"), "Torino", "TO"],
     "DLCNCL99P09L219O", "CORRETTO", "codice calcolato"),
    (["Vitale", "Beatrice", "F", D(1966, 4, 20, "breve"), "Salerno", "SA"],
     "VTLBRC66D60H703G", "CORRETTO", "codice calcolato"),
    (["PAPPALARDO", "ROSA", "F", D(2090, 1, 1, "breve"), "Roma", "RM"],
     "", "ERRATO", "data di nascita non valida"),
    (["BIANCO", "LUIGI", "M", D(1977, 5, 17, "breve"), "Paperopoli", "XX"],
     "", "ERRATO", "comune di nascita non in elenco"),
])
d[1] = [T(t) for t in ["Cognome", "Nome", "Sesso", "Nato il", "Comune", "Prov"]]
DA_COMPORRE = [Foglio("Nuovi assunti", d, esiti=e)]

# ---------------------------------------------------------------------------------------------
# The source: a flat ODF file that Calc opens

NS = {
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "style": "urn:oasis:names:tc:opendocument:xmlns:style:1.0",
    "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
    "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
    "fo": "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0",
    "number": "urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0",
    "dc": "http://purl.org/dc/elements/1.1/",
    "of": "urn:oasis:names:tc:opendocument:xmlns:of:1.2",
}

STILI = """<office:automatic-styles>
<number:date-style style:name="Ndata"><number:day number:style="long"/><number:text>/</number:text><number:month number:style="long"/><number:text>/</number:text><number:year number:style="long"/></number:date-style>
<number:date-style style:name="Nbreve"><number:day number:style="long"/><number:text>/</number:text><number:month number:style="long"/><number:text>/</number:text><number:year/></number:date-style>
<number:date-style style:name="Nlunga"><number:day/><number:text> </number:text><number:month number:textual="true" number:style="long"/><number:text> </number:text><number:year number:style="long"/></number:date-style>
<number:number-style style:name="Nzeri11"><number:number number:decimal-places="0" number:min-integer-digits="11"/></number:number-style>
<number:number-style style:name="Neuro"><number:number number:decimal-places="2" number:min-decimal-places="2" number:min-integer-digits="1" number:grouping="true"/></number:number-style>
<style:style style:name="data" style:family="table-cell" style:parent-style-name="Default" style:data-style-name="Ndata"/>
<style:style style:name="breve" style:family="table-cell" style:parent-style-name="Default" style:data-style-name="Nbreve"/>
<style:style style:name="lunga" style:family="table-cell" style:parent-style-name="Default" style:data-style-name="Nlunga"/>
<style:style style:name="zeri11" style:family="table-cell" style:parent-style-name="Default" style:data-style-name="Nzeri11"/>
<style:style style:name="euro" style:family="table-cell" style:parent-style-name="Default" style:data-style-name="Neuro"/>
<style:style style:name="titolo" style:family="table-cell" style:parent-style-name="Default"><style:text-properties fo:font-size="14pt" fo:font-weight="bold"/></style:style>
<style:style style:name="a_capo" style:family="table-cell" style:parent-style-name="Default"><style:table-cell-properties fo:wrap-option="wrap"/></style:style>
</office:automatic-styles>"""


def Paragrafi(testo):
    """The text of a cell as ODF paragraphs, one a line, its runs of blanks kept."""
    out = []
    for riga in testo.split("\n"):
        p = ""
        for m in re.finditer(r" +|[^ ]+", riga):
            pezzo = m.group()
            if pezzo[0] != " ":
                p += escape(pezzo)
            elif len(pezzo) == 1 and 0 < m.start() and m.end() < len(riga):
                p += " "
            else:
                p += f'<text:s text:c="{len(pezzo)}"/>'
        out.append(f"<text:p>{p}</text:p>")
    return "".join(out)


def CellaOdf(c):
    if c is None:
        return "<table:table-cell/>"
    a = []
    if c.stile:
        a.append(f'table:style-name="{c.stile}"')
    elif c.tipo == "s" and "\n" in c.valore:
        a.append('table:style-name="a_capo"')
    if c.formula:
        a.append(f"table:formula={quoteattr(c.formula)}")
    if c.tipo == "s":
        a.append('office:value-type="string"')
        if c.formula:
            a.append(f"office:string-value={quoteattr(c.valore)}")
    elif c.tipo == "n":
        a.append(f'office:value-type="float" office:value="{c.valore!r}"')
    elif c.tipo == "d":
        a.append(f'office:value-type="date" office:date-value="{c.valore.isoformat()}"')
    elif c.tipo == "b":
        a.append(f'office:value-type="boolean" office:boolean-value="{str(c.valore).lower()}"')
    if c.unite > 1:
        a.append(f'table:number-columns-spanned="{c.unite}" table:number-rows-spanned="1"')
    nota = ""
    if c.nota:
        nota = ("<office:annotation><dc:creator>Ufficio personale</dc:creator>"
                f"<dc:date>2025-01-10T09:00:00</dc:date>{Paragrafi(c.nota)}</office:annotation>")
    coperte = "<table:covered-table-cell/>" * (c.unite - 1)
    return (f"<table:table-cell {' '.join(a)}>{nota}{Paragrafi(Mostrata(c))}"
            f"</table:table-cell>{coperte}")


def Fods(fogli):
    xmlns = " ".join(f'xmlns:{k}="{v}"' for k, v in NS.items())
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           f'<office:document {xmlns} office:version="1.3" '
           'office:mimetype="application/vnd.oasis.opendocument.spreadsheet">', STILI,
           "<office:body><office:spreadsheet>"]
    for f in fogli:
        out.append(f"<table:table table:name={quoteattr(f.nome)}>")
        colonne = max(sum(c.unite if c else 1 for c in r) for r in f.righe.values())
        for k in range(colonne):
            nascosta = ' table:visibility="collapse"' if k in f.colonne_nascoste else ""
            out.append(f"<table:table-column{nascosta}/>")
        for n in range(1, max(f.righe) + 1):
            nascosta = ' table:visibility="collapse"' if n in f.righe_nascoste else ""
            celle = "".join(CellaOdf(c) for c in f.righe.get(n, [None]))
            out.append(f"<table:table-row{nascosta}>{celle}</table:table-row>")
        out.append("</table:table>")
    out.append("</office:spreadsheet></office:body></office:document>")
    return "\n".join(out)


# ---------------------------------------------------------------------------------------------
# The suites

PROFILO = pathlib.Path(tempfile.gettempdir()) / "nodrel-elenchi-profilo"


def Calc(sorgente, filtro, cartella):
    """Opens `sorgente` in LibreOffice Calc (Italian locale) and saves it with `filtro`."""
    utente = PROFILO / "user"
    if not (utente / "registrymodifications.xcu").exists():
        utente.mkdir(parents=True, exist_ok=True)
        (utente / "registrymodifications.xcu").write_text(
            '<?xml version="1.0" encoding="UTF-8"?>\n'
            '<oor:items xmlns:oor="http://openoffice.org/2001/registry" '
            'xmlns:xs="http://www.w3.org/2001/XMLSchema" '
            'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">\n'
            '<item oor:path="/org.openoffice.Setup/L10N"><prop oor:name="ooSetupSystemLocale" '
            'oor:op="fuse"><value>it-IT</value></prop></item>\n</oor:items>\n')
    subprocess.run(["soffice", f"-env:UserInstallation=file://{PROFILO}", "--headless",
                    "--convert-to", filtro, "--outdir", str(cartella), str(sorgente)],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def Gnumeric(sorgente, destinazione, *opzioni):
    subprocess.run(["ssconvert", *opzioni, str(sorgente), str(destinazione)], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


# Calc's text export: separator, quote, character set, first row, formats, language, quote all
# text cells, detect special numbers, save as shown, formulas, trim, sheet (0 the first, -1 all).
def FiltroCsv(separatore, set_caratteri, tutte_virgolette=False, foglio=1):
    return (f"csv:Text - txt - csv (StarCalc):{ord(separatore)},34,{set_caratteri},1,,1040,"
            f"{'true' if tutte_virgolette else 'false'},true,true,false,false,{foglio}")


UTF8, UTF16, CP1252 = 76, 65535, 1

# name: (workbook, [(file, maker)])
LAVORO = {}


def Calcola(nome, fogli, formati):
    LAVORO[nome] = (fogli, formati)


Calcola("dipendenti", DIPENDENTI, [
    "calc/dipendenti.xlsx", "calc/dipendenti.xls", "calc/dipendenti.ods", "calc/dipendenti.fods",
    "calc/dipendenti_puntoevirgola.csv", "calc/dipendenti_virgola_bom.csv",
    "calc/dipendenti_tab_utf16.txt", "calc/dipendenti_windows1252_crlf.csv",
    "calc/dipendenti_virgolette.csv", "calc/dipendenti_cr.csv",
    "gnumeric/dipendenti.xlsx", "gnumeric/dipendenti.ods", "gnumeric/dipendenti.xls",
    "gnumeric/dipendenti.csv"])
Calcola("copertina", COPERTINA, [
    "calc/copertina.xlsx", "calc/copertina.ods", "calc/copertina.xls", "gnumeric/copertina.xlsx"])
Calcola("clienti", CLIENTI, [
    "calc/clienti.xlsx", "calc/clienti.ods", "calc/clienti.xls", "gnumeric/clienti.ods"])
Calcola("solo_codici", SOLO_CODICI, ["calc/solo_codici.xlsx", "calc/solo_codici.csv"])
Calcola("da_comporre", DA_COMPORRE, [
    "calc/da_comporre.ods", "calc/da_comporre.xlsx", "gnumeric/da_comporre.xlsx"])


def Fai(nome, destinazione, lavoro):
    """Makes one file of the corpus from the workbook's source and Calc's .ods of it."""
    sorgente, ods = lavoro / f"{nome}.fods", lavoro / "calc" / f"{nome}.ods"
    fatto = lavoro / "uscita"
    shutil.rmtree(fatto, ignore_errors=True)
    fatto.mkdir()
    cartella, base = destinazione.parent.name, destinazione.name
    estensione = destinazione.suffix[1:]
    if cartella == "gnumeric":
        if estensione == "csv":
            # Gnumeric's "Text (configurable)" export, cells as shown.
            Gnumeric(ods, destinazione, "--export-type=Gnumeric_stf:stf_assistant",
                     "-O", "format=preserve separator=,")
        else:
            Gnumeric(ods, destinazione)
        return
    filtri = {"xlsx": "xlsx:Calc MS Excel 2007 XML", "xls": "xls:MS Excel 97", "ods": "ods",
              "fods": "fods"}
    if estensione in filtri:
        Calc(sorgente, filtri[estensione], fatto)
        shutil.move(fatto / f"{nome}.{estensione}", destinazione)
        return
    # The text exports: Calc writes its line ends as LF; the CRLF and CR files are those of a
    # Windows and an old Mac copy of the same export.
    variante = base.removeprefix(nome).removeprefix("_").rsplit(".", 1)[0]
    separatore, set_caratteri, virgolette, fine, bom = {
        "": (";", UTF8, False, None, False),
        "puntoevirgola": (";", UTF8, False, None, False),
        "virgola_bom": (",", UTF8, False, None, True),
        "tab_utf16": ("\t", UTF16, False, None, False),
        "windows1252_crlf": (";", CP1252, False, b"\r\n", False),
        "virgolette": (";", UTF8, True, None, False),
        "cr": (";", UTF8, False, b"\r", False),
    }[variante]
    Calc(sorgente, FiltroCsv(separatore, set_caratteri, virgolette), fatto)
    dati = next(fatto.glob("*.csv")).read_bytes()
    if fine:
        dati = dati.replace(b"\n", fine)
    if bom and not dati.startswith(b"\xef\xbb\xbf"):
        dati = b"\xef\xbb\xbf" + dati
    destinazione.write_bytes(dati)


# ---------------------------------------------------------------------------------------------
# The answers


def Escape(testo):
    return testo.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace(
        "\r", "\\r")


def Testo(destinazione):
    return destinazione.suffix in (".csv", ".txt")


def PerFile(c, destinazione, letta=True):
    """The cell as the file keeps it. Calc's .xls keeps a boolean as the number 0 or 1, and the
    text a formula gave not at all (it writes 0 and computes the formula again when it opens
    the file): a reader without a formula engine finds 0 there. `letta`: as a reader finds it,
    else as the suite shows it."""
    if c is None or destinazione.suffix != ".xls" or destinazione.parent.name != "calc":
        return c
    if c.tipo == "b":
        return Cella("n", int(c.valore), formula=c.formula)
    if letta and c.tipo == "s" and c.formula:
        return Cella("n", 0, formula=c.formula)
    return c


def Celle(fogli, destinazione):
    """One line a sheet ("foglio" and its name), then one a row with a value: its number and
    its cells, tab-separated, with \\t \\n \\r \\\\ escaped. A text file is its one sheet."""
    out = []
    for f in fogli if not Testo(destinazione) else fogli[:1]:
        out.append(f"foglio\t{f.nome}")
        for n in sorted(f.righe):
            celle = []
            for c in f.righe[n]:
                c = PerFile(c, destinazione)
                celle.append(Consegnata(c) if c else "")
                celle.extend([""] * ((c.unite if c else 1) - 1))
            while celle and celle[-1] == "":
                celle.pop()
            if celle:
                out.append("\t".join([str(n)] + [Escape(c) for c in celle]))
    return "\n".join(out) + "\n"


def Verifica(fogli, destinazione):
    """What `nodrel --verifica` writes for the list: the sheet of the codes is the first with
    rows to judge."""
    foglio = next(f for f in fogli if f.esiti)
    out = ["riga;codice;esito;motivo"]
    for n in sorted(foglio.esiti):
        codice, esito, motivo = foglio.esiti[n]
        if any(c is not None and c.tipo == "s" and c.valore == codice and
               PerFile(c, destinazione) is not c for c in foglio.righe[n]):
            codice, esito, motivo = "0", "ERRATO", "lunghezza errata"
        out.append(f"{n};{codice};{esito};{motivo}")
    return "\n".join(out) + "\n"


# ---------------------------------------------------------------------------------------------
# The check: what each suite shows of its own files


def MostrataCsv(fogli, destinazione):
    """What a suite shows, sheet by sheet: {sheet: {row: [cells]}}, outer blanks off."""
    attesa = {}
    for f in fogli if not Testo(destinazione) else fogli[:1]:
        righe = {}
        for n, r in f.righe.items():
            celle = []
            for c in r:
                c = PerFile(c, destinazione, letta=False)
                celle.append(Vista(Mostrata(c).strip(" " + NBSP), c) if c else "")
                celle.extend([""] * ((c.unite if c else 1) - 1))
            while celle and celle[-1] == "":
                celle.pop()
            if celle:
                righe[n] = celle
        attesa[f.nome] = righe
    return attesa


class Vista(str):
    """What a suite shows of a cell, with the cell it shows."""

    def __new__(cls, testo, cella):
        v = super().__new__(cls, testo)
        v.cella = cella
        return v


def LeggiCsv(dati, separatore):
    righe = {}
    for n, r in enumerate(csv.reader(io.StringIO(dati, newline=""), delimiter=separatore), 1):
        r = [c.strip(" " + NBSP) for c in r]
        while r and r[-1] == "":
            r.pop()
        if r:
            righe[n] = r
    return righe


def Mostrato(destinazione, fogli, uscita, suite):
    """What `suite` shows of each sheet of the file: {sheet: {row: [cells]}}."""
    shutil.rmtree(uscita, ignore_errors=True)
    uscita.mkdir()
    trovata = {}
    if Testo(destinazione):
        dati = destinazione.read_bytes()
        if dati.startswith(b"\xff\xfe"):
            testo = dati.decode("utf-16")
        elif destinazione.name.endswith("windows1252_crlf.csv"):
            testo = dati.decode("cp1252")
        else:
            testo = dati.decode("utf-8-sig")
        testo = testo.replace("\r\n", "\n").replace("\r", "\n")
        intestazione = testo.split("\n")[2]
        separatore = next(s for s in "\t;," if s in intestazione)
        trovata[fogli[0].nome] = LeggiCsv(testo, separatore)
    elif suite == "gnumeric":
        Gnumeric(destinazione, uscita / "foglio%n.csv", "-S",
                 "--export-type=Gnumeric_stf:stf_assistant", "-O", "format=preserve separator=,")
        for i, f in enumerate(fogli):
            testo = (uscita / f"foglio{i}.csv").read_text(encoding="utf-8")
            trovata[f.nome] = LeggiCsv(testo, ",")
    else:
        Calc(destinazione, FiltroCsv(";", UTF8, foglio=-1), uscita)
        for f in fogli:
            nome = uscita / f"{destinazione.stem}-{f.nome}.csv"
            trovata[f.nome] = LeggiCsv(nome.read_text(encoding="utf-8"), ";")
    return trovata


def Controlla(destinazione, fogli, lavoro):
    """Opens the file with the suite that wrote it and compares what it shows with the
    description. Gnumeric does not apply all the formats of its own .ods when it opens it
    again (it shows 804150415 where it wrote 00804150415): a cell it shows otherwise is
    taken as Calc shows it."""
    attesa = MostrataCsv(fogli, destinazione)
    suite = destinazione.parent.name
    viste = [Mostrato(destinazione, fogli, lavoro / "controllo", suite)]
    if suite == "gnumeric" and not Testo(destinazione):
        viste.append(Mostrato(destinazione, fogli, lavoro / "controllo", "calc"))
    errori = []
    for foglio, righe in attesa.items():
        trovate = [v.get(foglio, {}) for v in viste]
        for n in sorted(set(righe).union(*trovate)):
            a = righe.get(n)
            if not any(Stessa(a, t.get(n), destinazione) for t in trovate):
                errori.append(f"  {foglio} riga {n}: atteso {a}, mostrato {trovate[0].get(n)}")
    return errori


def Stessa(attesa, mostrata, destinazione):
    return attesa is not None and mostrata is not None and len(attesa) == len(mostrata) and all(
        Uguali(x, y, destinazione) for x, y in zip(attesa, mostrata))


def Uguali(atteso, mostrato, destinazione):
    if atteso == mostrato:
        return True
    cella = getattr(atteso, "cella", None)
    if cella is not None and cella.tipo == "d" and not Testo(destinazione):
        # A date is a date, in whatever format a suite chose to show it.
        d = cella.valore
        return mostrato in (d.strftime("%Y/%m/%d"), d.strftime("%Y-%m-%d"), f"{d.day}/{d.month}/{d:%y}",
                            f"{d.month}/{d.day}/{d:%y}")
    if destinazione.parent.name == "gnumeric":
        # Gnumeric runs here in the C locale: a decimal point, TRUE and FALSE.
        tradotto = mostrato.replace(".", "").replace(",", "") if "," in mostrato else mostrato
        return {"TRUE": "VERO", "FALSE": "FALSO"}.get(mostrato) == atteso or (
            atteso.replace(".", "").replace(",", "") == tradotto.replace(".", "").replace(
                ",", ""))
    return False


def main():
    controlla = "--controlla" in sys.argv[1:]
    with tempfile.TemporaryDirectory() as t:
        lavoro = pathlib.Path(t)
        (lavoro / "calc").mkdir()
        errori = []
        for nome, (fogli, file) in LAVORO.items():
            (lavoro / f"{nome}.fods").write_text(Fods(fogli), encoding="utf-8")
            Calc(lavoro / f"{nome}.fods", "ods", lavoro / "calc")
            for relativo in file:
                destinazione = QUI / relativo
                destinazione.parent.mkdir(exist_ok=True)
                Fai(nome, destinazione, lavoro)
                destinazione.with_name(destinazione.name + ".celle").write_text(
                    Celle(fogli, destinazione), encoding="utf-8")
                destinazione.with_name(destinazione.name + ".verifica").write_text(
                    Verifica(fogli, destinazione), encoding="utf-8")
                if controlla:
                    trovati = Controlla(destinazione, fogli, lavoro)
                    if trovati:
                        errori.append(relativo)
                        print(relativo, "fatto, diverso da quanto descritto:")
                        print("\n".join(trovati))
                        continue
                print(relativo, "fatto" + (", controllato" if controlla else ""))
        NonElenchi(lavoro)
        if errori:
            print("diversi da quanto descritto:", " ".join(errori))
            return 1
    return 0


def NonElenchi(lavoro):
    """Files that are no list: a PDF and a picture of a list, a letter in Word's format and in
    OpenDocument's."""
    cartella = QUI / "non_elenchi"
    cartella.mkdir(exist_ok=True)
    fatto = lavoro / "uscita"
    shutil.rmtree(fatto, ignore_errors=True)
    fatto.mkdir()
    Calc(lavoro / "solo_codici.fods", "pdf", fatto)
    shutil.move(fatto / "solo_codici.pdf", cartella / "elenco.pdf")
    # The picture a scanner or a screenshot would give, drawn from the PDF by poppler.
    subprocess.run(["pdftoppm", "-png", "-r", "40", "-singlefile", str(cartella / "elenco.pdf"),
                    str(cartella / "elenco")], check=True)
    # No word processor here: the letter is the least a Word and an OpenDocument text hold.
    with zipfile.ZipFile(cartella / "lettera.docx", "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml",
                   '<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxml'
                   'formats.org/package/2006/content-types"><Default Extension="rels" ContentTy'
                   'pe="application/vnd.openxmlformats-package.relationships+xml"/><Override Pa'
                   'rtName="/word/document.xml" ContentType="application/vnd.openxmlformats-off'
                   'icedocument.wordprocessingml.document.main+xml"/></Types>')
        z.writestr("_rels/.rels",
                   '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.'
                   'openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type'
                   '="http://schemas.openxmlformats.org/officeDocument/2006/relationships/offic'
                   'eDocument" Target="word/document.xml"/></Relationships>')
        z.writestr("word/document.xml",
                   '<?xml version="1.0" encoding="UTF-8"?><w:document xmlns:w="http://schemas.o'
                   'penxmlformats.org/wordprocessingml/2006/main"><w:body><w:p><w:r><w:t>Gentil'
                   "e cliente, in allegato l'elenco richiesto.</w:t></w:r></w:p></w:body></w:do"
                   "cument>")
    with zipfile.ZipFile(cartella / "lettera.odt", "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.text",
                   zipfile.ZIP_STORED)
        z.writestr("content.xml",
                   '<?xml version="1.0" encoding="UTF-8"?><office:document-content xmlns:office'
                   '="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:text="urn:oasis:n'
                   'ames:tc:opendocument:xmlns:text:1.0" office:version="1.3"><office:body><off'
                   "ice:text><text:p>Gentile cliente, in allegato l'elenco richiesto.</text:p><"
                   "/office:text></office:body></office:document-content>")


if __name__ == "__main__":
    sys.exit(main())
