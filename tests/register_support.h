#pragma once

// Helpers shared by the register's tests.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>

#include "engine/errore.h"

namespace prova {

namespace fs = std::filesystem;

// A fresh directory, removed with its contents at the end of the test.
class CartellaTemporanea {
public:
    explicit CartellaTemporanea(const std::string& nome = "nodrel-registro") {
        std::random_device caso;
        do {
            percorso_ = fs::temp_directory_path() / (nome + "-" + std::to_string(caso()));
        } while (!fs::create_directories(percorso_));
    }
    ~CartellaTemporanea() {
        std::error_code ec;
        fs::remove_all(percorso_, ec);
    }
    const fs::path& Percorso() const { return percorso_; }
    fs::path operator/(const std::string& nome) const { return percorso_ / nome; }
    long Voci() const {
        return std::distance(fs::directory_iterator(percorso_), fs::directory_iterator());
    }

private:
    fs::path percorso_;
};

inline std::string LeggiFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void ScriviFile(const fs::path& file, const std::string& contenuto) {
    std::ofstream(file, std::ios::binary) << contenuto;
}

inline void CreaDatabase(const fs::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.string().c_str(), &db), SQLITE_OK);
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    EXPECT_EQ(rc, SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// The register built for the program, copied beside the tests.
inline fs::path RegistroVero() {
    return fs::current_path() / "Comuni.mdb";
}

template <class F>
std::optional<NODREL1::Errore> ErroreDi(F&& f) {
    try {
        f();
    } catch (const NODREL1::Errore& e) {
        return e;
    }
    return std::nullopt;
}

}  // namespace prova
