#include "lists/esecuzione.h"

#include <sys/stat.h>

#include <QString>
#include <array>
#include <atomic>
#include <cerrno>
#include <semaphore>
#include <thread>
#include <vector>

#include "fogli/fogli.h"
#include "lists/semplici.h"
#include "lists/sistema.h"

namespace nodrel {

namespace {

constexpr std::size_t kBlocco = std::size_t{1} << 20;

// A first reading hands no row.
class Nessuna : public Destinazione {
public:
    void Voce(const VoceElenco&) override {}
};

// Reads `in` in blocks of kBlocco bytes up to the first that comes short, each handed to `leggi`
// with its print (ImprontaPezzo) when `impronte` asks for it, the next one read on a thread of
// its own meanwhile: the system's copying of the text and the print then take no time from the
// judging. Gives the system's error number of a read that failed, 0 for none, -1 when stopped;
// and in `letto` whether any byte came.
template <class F>
int LeggiInAnticipo(std::FILE* in, bool impronte, std::stop_token fermo, F&& leggi, bool& letto) {
    std::array<std::vector<char>, 2> blocchi{std::vector<char>(kBlocco),
                                             std::vector<char>(kBlocco)};
    std::array<std::size_t, 2> letti{};
    std::array<std::uint64_t, 2> stampe{};
    int errore = 0;
    std::counting_semaphore<> liberi(2);
    std::counting_semaphore<> pieni(0);
    std::atomic<bool> basta = false;
    std::jthread lettore([&] {
        for (std::size_t k = 0;; ++k) {
            liberi.acquire();
            if (basta) {
                return;
            }
            std::vector<char>& b = blocchi[k % 2];
            const std::size_t n = std::fread(b.data(), 1, b.size(), in);
            letti[k % 2] = n;
            if (n < b.size() && std::ferror(in) != 0) {
                errore = errno != 0 ? errno : EIO;
            }
            if (impronte) {
                stampe[k % 2] = ImprontaPezzo({b.data(), n});
            }
            pieni.release();
            if (n < b.size()) {
                return;
            }
        }
    });
    // However the judging ends, the reader is let go before it is waited for.
    struct Fine {
        std::atomic<bool>& basta;
        std::counting_semaphore<>& liberi;
        ~Fine() {
            basta = true;
            liberi.release();
        }
    } fine{basta, liberi};
    for (std::size_t k = 0;; ++k) {
        pieni.acquire();
        const std::size_t n = letti[k % 2];
        letto = letto || n > 0;
        leggi(std::string_view(blocchi[k % 2].data(), n), stampe[k % 2]);
        if (n < kBlocco) {
            return errore;
        }
        if (fermo.stop_requested()) {
            return -1;
        }
        liberi.release();
    }
}

EsitoEsecuzione Illeggibile(std::string perche, bool letto = false) {
    return {EsitoEsecuzione::Tipo::Illeggibile, std::move(perche), letto};
}

struct ChiudiFile {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

Esecuzione::Esecuzione(Impostazioni impostazioni)
    : impostazioni_(impostazioni), lettura_(std::make_unique<Lettura>(Lettura::Impostazioni{})) {}

EsitoEsecuzione Esecuzione::Esegui(const Sorgente& sorgente, Destinazione& destinazione,
                                   std::stop_token fermo, Osservatore* osservatore) {
    if (impostazioni_.registro != nullptr && osservatore != nullptr) {
        impostazioni_.registro->QuandoManca(
            [osservatore](std::string_view perche) { osservatore->Avviso(perche); });
    }
    lettura_ = std::make_unique<Lettura>(
        Lettura::Impostazioni{impostazioni_.registro, impostazioni_.oggi, impostazioni_.soloPersone,
                              impostazioni_.parallelo});
    switch (sorgente.tipo) {
        case Sorgente::Tipo::Memoria: {
            if (impostazioni_.registro != nullptr) {
                impostazioni_.registro->Prendi();
            }
            const std::string_view testo = sorgente.testo;
            for (std::size_t da = 0; da < testo.size(); da += kBlocco) {
                if (fermo.stop_requested()) {
                    return {EsitoEsecuzione::Tipo::Interrotto, {}, true};
                }
                lettura_->Leggi(testo.substr(da, kBlocco), destinazione);
                if (osservatore != nullptr) {
                    osservatore->Avanzamento(std::min(testo.size(), da + kBlocco), testo.size(), 1,
                                             1);
                }
            }
            lettura_->Fine(destinazione);
            return {EsitoEsecuzione::Tipo::Fatto, {}, !testo.empty()};
        }
        case Sorgente::Tipo::File: {
            // The kind of file by its content, whatever its name: a workbook is read by its
            // sheets; bytes that are no list (a PDF, a picture, a program) are refused.
            const Tipo tipo = TipoDiFile(QString::fromLocal8Bit(sorgente.percorso.c_str()));
            if (tipo.formato == Formato::NessunElenco) {
                return Illeggibile(tipo.motivo.toStdString());
            }
            if (tipo.formato != Formato::Testo) {
                return DaFoglio(sorgente.percorso, destinazione, fermo);
            }
            const std::unique_ptr<std::FILE, ChiudiFile> in(
                std::fopen(sorgente.percorso.c_str(), "rb"));
            if (!in) {
                return Illeggibile(PercheSistema(errno));
            }
            return DaFlusso(in.get(), destinazione, fermo, osservatore);
        }
        case Sorgente::Tipo::Flusso:
            return DaFlusso(sorgente.flusso, destinazione, fermo, osservatore);
    }
    return {};
}

EsitoEsecuzione Esecuzione::DaFlusso(std::FILE* in, Destinazione& destinazione,
                                     std::stop_token fermo, Osservatore* osservatore) {
    // A file (not a pipe, though it may come as standard input) is read twice, so that no table
    // of all its codes is kept; from where it stands.
    struct stat info {};
    const off_t inizio = ftello(in);
    const bool dueLetture = fstat(fileno(in), &info) == 0 && S_ISREG(info.st_mode) && inizio >= 0 &&
                            inizio <= info.st_size;
    const std::uint64_t byte = dueLetture ? static_cast<std::uint64_t>(info.st_size - inizio) : 0;
    Lettura& lettura = *lettura_;
    RegistroAtteso* registro = impostazioni_.registro;
    const int letture = dueLetture ? 2 : 1;
    // The bytes read so far in reading `k`.
    std::uint64_t letti = 0;
    auto avanza = [&](std::size_t n, int k) {
        letti += n;
        if (osservatore != nullptr) {
            osservatore->Avanzamento(letti, byte, k, letture);
        }
    };
    if (dueLetture) {
        lettura.PrimaLettura();
        lettura.Prevedi(byte);
        // The first reading hands no row; a file that fails in it is read once, as a pipe would
        // be, and fails where it fails.
        Nessuna nessuna;
        bool ripeti = false;
        const int errore = LeggiInAnticipo(
            in, true, fermo,
            [&](std::string_view pezzo, std::uint64_t impronta) {
                lettura.Leggi(pezzo, nessuna, impronta);
                avanza(pezzo.size(), 1);
            },
            ripeti);
        if (registro != nullptr) {
            registro->Prendi();  // its message, if any, before those of the reading
        }
        if (errore < 0) {
            return {EsitoEsecuzione::Tipo::Interrotto, {}, false};
        }
        if (errore != 0 && !ripeti) {
            return Illeggibile(PercheSistema(errore));
        }
        lettura.Fine(nessuna);
        lettura.SecondaLettura();
        std::clearerr(in);
        if (fseeko(in, inizio, SEEK_SET) != 0 || ftello(in) != inizio) {
            return Illeggibile(PercheSistema(errno));
        }
    } else if (registro != nullptr) {
        registro->Prendi();
    }
    bool letto = false;
    letti = 0;
    const int errore = LeggiInAnticipo(
        in, dueLetture, fermo,
        [&](std::string_view pezzo, std::uint64_t impronta) {
            if (dueLetture) {
                lettura.Leggi(pezzo, destinazione, impronta);
            } else {
                lettura.Leggi(pezzo, destinazione);
            }
            avanza(pezzo.size(), letture);
        },
        letto);
    if (errore < 0) {
        return {EsitoEsecuzione::Tipo::Interrotto, {}, letto};
    }
    if (errore != 0) {
        return Illeggibile(PercheSistema(errore), letto);
    }
    lettura.Fine(destinazione);
    if (lettura.Cambiato()) {
        return {EsitoEsecuzione::Tipo::Cambiato, "il file è cambiato durante la lettura", letto};
    }
    return {EsitoEsecuzione::Tipo::Fatto, {}, letto};
}

EsitoEsecuzione Esecuzione::DaFoglio(const std::string& percorso, Destinazione& destinazione,
                                     std::stop_token fermo) {
    if (impostazioni_.registro != nullptr) {
        impostazioni_.registro->Prendi();
    }
    QString errore;
    Cartella cartella;
    if (!cartella.Apri(QString::fromLocal8Bit(percorso.c_str()), errore)) {
        return Illeggibile(errore.toStdString());
    }
    // The sheet with the list: the first whose first rows hold one (a cover sheet, a sheet of
    // notes before it are passed over), else the first.
    std::size_t scelto = 0;
    const auto fogli = static_cast<std::size_t>(cartella.Fogli().size());
    for (std::size_t k = 0; k < fogli && fogli > 1; ++k) {
        std::vector<RigaDiCelle> prime;
        const bool letto = cartella.Leggi(
            k,
            [&prime](std::uint64_t riga, std::span<const std::string_view> celle) {
                prime.push_back({riga, std::vector<std::string>(celle.begin(), celle.end())});
                return prime.size() < kRigheTesta;
            },
            errore);
        if (letto && ContieneElenco(prime, impostazioni_.soloPersone)) {
            scelto = k;
            break;
        }
    }
    if (fogli > 1) {
        foglio_ = cartella.Fogli().at(static_cast<qsizetype>(scelto)).toStdString();
    }
    bool letto = false;
    const bool fatto = cartella.Leggi(
        scelto,
        [&](std::uint64_t riga, std::span<const std::string_view> celle) {
            letto = true;
            lettura_->LeggiRiga(riga, celle, destinazione);
            return !fermo.stop_requested();
        },
        errore);
    if (!fatto) {
        return Illeggibile(errore.toStdString(), letto);
    }
    if (fermo.stop_requested()) {
        return {EsitoEsecuzione::Tipo::Interrotto, {}, letto};
    }
    lettura_->Fine(destinazione);
    return {EsitoEsecuzione::Tipo::Fatto, {}, letto};
}

}  // namespace nodrel
