// Builds the register file beside the program from the two lists of ANPR, and from the ceased
// states and the common names of states where they lie beside the table of foreign states;
// installed with the program so that an installed register can be rebuilt from newer lists.
//   nodrel_mkregister <ANPR_archivio_comuni.csv> <ANPR_tabella_stati_esteri.csv> <Comuni.mdb>
//       [AAAA-MM-GG]
// The last is the day the lists were published; without it, the day they were last modified.

#include <iostream>

#include "register/costruisci.h"

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::cerr << "uso: nodrel_mkregister <ANPR_archivio_comuni.csv>"
                     " <ANPR_tabella_stati_esteri.csv> <Comuni.mdb> [AAAA-MM-GG]\n"
                     "legge anche, se si trovano accanto alla tabella degli stati esteri, "
                  << nodrel::kStatiCessati << " e " << nodrel::kNomiComuniStati
                  << "; AAAA-MM-GG è il giorno di pubblicazione degli elenchi (senza, quello"
                     " dell'ultima modifica dei file)\n";
        return 2;
    }
    try {
        nodrel::OpzioniCostruzione opzioni;
        if (argc == 5) {
            opzioni.rilascio = argv[4];
        }
        nodrel::CostruisciRegistro(argv[1], argv[2], argv[3], opzioni);
    } catch (const nodrel::ErroreCostruzione& e) {
        // file:line: text, the form editors and IDEs jump from.
        std::cerr << (e.File().empty() ? argv[3] : e.File()) << ':';
        if (e.Riga() > 0) {
            std::cerr << e.Riga() << ':';
        }
        std::cerr << ' ' << e.what() << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << argv[3] << ": " << e.what() << '\n';
        return 1;
    }
    return 0;
}
