// Build step: turns the municipality list into the register file beside the program.
//   nodrel_mkregister <comuni.csv> <Comuni.mdb>

#include <iostream>

#include "register/costruisci.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "uso: nodrel_mkregister <comuni.csv> <Comuni.mdb>\n";
        return 2;
    }
    try {
        nodrel::CostruisciRegistro(argv[1], argv[2]);
    } catch (const nodrel::ErroreCostruzione& e) {
        // file:line: text, the form editors and IDEs jump from.
        std::cerr << argv[1] << ':';
        if (e.Riga() > 0) {
            std::cerr << e.Riga() << ':';
        }
        std::cerr << ' ' << e.what() << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << argv[1] << ": " << e.what() << '\n';
        return 1;
    }
    return 0;
}
