#include "lists/esecuzione.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QString>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <semaphore>
#include <stop_token>
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

// Where a reading's blocks come from: a call fills up to `n` bytes at `b` and tells how many,
// fewer only at the end or where a read failed, whose error number it then leaves in `errore`.
// A stream, read from where it stands:
struct DalFlusso {
    std::FILE* in;
    std::size_t operator()(char* b, std::size_t n, int& errore) const {
        const std::size_t letti = std::fread(b, 1, n, in);
        if (letti < n && std::ferror(in) != 0) {
            errore = errno != 0 ? errno : EIO;
        }
        return letti;
    }
};

// Reads `fonte` in blocks of kBlocco bytes up to the first that comes short, each handed to
// `leggi` with its print (ImprontaPezzo) when `impronte` asks for it, the next one read on a
// thread of its own meanwhile: the system's copying of the text and the print then take no time
// from the judging. Gives the system's error number of a read that failed, 0 for none, -1 when
// stopped; and in `letto` whether any byte came.
template <class Fonte, class F>
int LeggiInAnticipo(Fonte& fonte, bool impronte, std::stop_token fermo, F&& leggi, bool& letto) {
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
            const std::size_t n = fonte(b.data(), b.size(), errore);
            letti[k % 2] = n;
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

// The bytes read so far in one reading, told to the observer.
struct Progressi {
    Osservatore* osservatore;
    int letture;
    std::uint64_t totale = 0;  // 0: not known
    std::uint64_t letti = 0;
    void Inizia(std::uint64_t byte) {
        totale = byte;
        letti = 0;
    }
    void Avanza(std::size_t n, int lettura) {
        letti += n;
        if (osservatore != nullptr) {
            osservatore->Avanzamento(letti, totale, lettura, letture);
        }
    }
};

EsitoEsecuzione Illeggibile(std::string perche, bool letto = false) {
    return {EsitoEsecuzione::Tipo::Illeggibile, std::move(perche), letto};
}

struct ChiudiFile {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The reading that hands the rows: a file's second, each piece compared by its print with the
// first's (`impronte`), or a stream's only one; reading `numero` of the run's.
template <class Fonte>
EsitoEsecuzione Consegna(Fonte& fonte, bool impronte, Lettura& lettura, Destinazione& destinazione,
                         std::stop_token fermo, Progressi& progressi, int numero) {
    bool letto = false;
    const int errore = LeggiInAnticipo(
        fonte, impronte, fermo,
        [&](std::string_view pezzo, std::uint64_t impronta) {
            if (impronte) {
                lettura.Leggi(pezzo, destinazione, impronta);
            } else {
                lettura.Leggi(pezzo, destinazione);
            }
            progressi.Avanza(pezzo.size(), numero);
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

// A file read twice, `byte` bytes from `inizio`, where it stands, so that no table of all its
// codes is kept: the first reading (the run's `prima`) only marks them.
EsitoEsecuzione DueLetture(std::FILE* in, off_t inizio, std::uint64_t byte, Lettura& lettura,
                           RegistroAtteso* registro, Destinazione& destinazione,
                           std::stop_token fermo, Progressi& progressi, int prima) {
    lettura.PrimaLettura();
    lettura.Prevedi(byte);
    // The first reading hands no row; a file that fails in it is read once, as a pipe would be,
    // and fails where it fails. Rows with people end it as soon as the layout tells them: the
    // list is then read once, from the start.
    Nessuna nessuna;
    bool ripeti = false;
    bool una = false;
    std::stop_source basta;
    const std::stop_callback inoltra(fermo, [&basta] { basta.request_stop(); });
    DalFlusso fonte{in};
    progressi.Inizia(byte);
    const int errore = LeggiInAnticipo(
        fonte, true, basta.get_token(),
        [&](std::string_view pezzo, std::uint64_t impronta) {
            lettura.Leggi(pezzo, nessuna, impronta);
            progressi.Avanza(pezzo.size(), prima);
            if (lettura.UnaBasta()) {
                una = true;
                basta.request_stop();
            }
        },
        ripeti);
    if (registro != nullptr) {
        registro->Prendi();  // its message, if any, before those of the reading
    }
    if (una) {
        lettura.UnicaLettura();
        std::clearerr(in);
        if (fseeko(in, inizio, SEEK_SET) != 0 || ftello(in) != inizio) {
            return Illeggibile(PercheSistema(errno));
        }
        progressi.letture = prima;
        progressi.Inizia(byte);
        return Consegna(fonte, false, lettura, destinazione, fermo, progressi, prima);
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
    progressi.Inizia(byte);
    return Consegna(fonte, true, lettura, destinazione, fermo, progressi, prima + 1);
}

// The kind of an open file by its content, as a named file's is told.
Tipo TipoDelFile(int fd) {
    return TipoDiFile(QString::fromLatin1("/proc/self/fd/%1").arg(fd));
}

// A stream that is no file (a pipe, a terminal) copied into a file of its own, which no name
// leads to from the start, so that it is read twice as a file is: a pipe then costs its file's
// time and the copy, and needs no table of all its codes. The copy stops short where no such
// file can be made or its disk fills up, and the stream is then read once as it came.
class Copia {
public:
    Copia() = default;
    Copia(const Copia&) = delete;
    Copia& operator=(const Copia&) = delete;
    ~Copia() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    // In $TMPDIR, or /tmp: false when no file can be made there.
    bool Apri() {
        const char* cartella = std::getenv("TMPDIR");
        const std::string dove = cartella != nullptr && *cartella != '\0' ? cartella : "/tmp";
        fd_ = ::open(dove.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
        if (fd_ < 0) {
            // A file system without unnamed files: a name, taken away at once.
            std::string nome = dove + "/nodrel-XXXXXX";
            fd_ = ::mkostemp(nome.data(), O_CLOEXEC);
            if (fd_ >= 0) {
                ::unlink(nome.c_str());
            }
        }
        return fd_ >= 0;
    }
    int Fd() const { return fd_; }
    // Appends `n` bytes; false when the file takes no more of them, Scritti() telling how many
    // it holds. The copy leaves a sixteenth of its disk free for everything else.
    bool Scrivi(const char* b, std::size_t n) {
        if (scritti_ + n > controllo_) {
            struct statvfs disco {};
            if (::fstatvfs(fd_, &disco) == 0 &&
                disco.f_bavail <
                    disco.f_blocks / 16 + n / std::max<unsigned long>(disco.f_frsize, 1)) {
                return false;
            }
            controllo_ = scritti_ + kControllo;
        }
        while (n > 0) {
            const ssize_t k = ::write(fd_, b, n);
            if (k < 0 && errno == EINTR) {
                continue;
            }
            if (k <= 0) {
                return false;
            }
            b += k;
            n -= static_cast<std::size_t>(k);
            scritti_ += static_cast<std::uint64_t>(k);
        }
        return true;
    }
    std::uint64_t Scritti() const { return scritti_; }
    // The file as a stream from its first byte, which closes it; null when it cannot be had.
    std::FILE* Flusso() {
        std::FILE* f = ::lseek(fd_, 0, SEEK_SET) == 0 ? ::fdopen(fd_, "rb") : nullptr;
        if (f != nullptr) {
            fd_ = -1;
        }
        return f;
    }

private:
    static constexpr std::uint64_t kControllo = std::uint64_t{64} << 20;  // the space asked again
    int fd_ = -1;
    std::uint64_t scritti_ = 0;
    std::uint64_t controllo_ = 0;  // the free space is asked again past this many bytes
};

// A stream whose copy stopped short, read once as it came: the bytes copied, read back from the
// copy, then those read and not copied, then the rest of the stream, unless it had ended
// (`finito`), or failed with `errore`.
struct Ripresa {
    const Copia& copia;
    std::string_view tenuti;
    DalFlusso resto;
    bool finito;
    int erroreFlusso;
    std::uint64_t riletti = 0;

    std::size_t operator()(char* b, std::size_t n, int& errore) {
        std::size_t k = 0;
        while (k < n && riletti < copia.Scritti()) {
            const ssize_t r = ::pread(copia.Fd(), b + k,
                                      std::min<std::uint64_t>(n - k, copia.Scritti() - riletti),
                                      static_cast<off_t>(riletti));
            if (r <= 0) {
                if (r < 0 && errno == EINTR) {
                    continue;
                }
                errore = r < 0 ? errno : EIO;
                return k;
            }
            k += static_cast<std::size_t>(r);
            riletti += static_cast<std::uint64_t>(r);
        }
        const std::size_t t = std::min(n - k, tenuti.size());
        if (t > 0) {  // no copy had a block to keep: tenuti's bytes may be a null pointer
            std::memcpy(b + k, tenuti.data(), t);
        }
        tenuti.remove_prefix(t);
        k += t;
        if (k == n) {
            return k;
        }
        if (finito) {
            errore = erroreFlusso;
            return k;
        }
        return k + resto(b + k, n - k, errore);
    }
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
            // A name that leads to no file to read again (a pipe, a device) is read once, as
            // standard input is: looking at its first bytes would take them from the reading.
            struct stat info {};
            if (::stat(sorgente.percorso.c_str(), &info) == 0 && !S_ISREG(info.st_mode) &&
                !S_ISDIR(info.st_mode)) {
                const std::unique_ptr<std::FILE, ChiudiFile> in(
                    std::fopen(sorgente.percorso.c_str(), "rb"));
                if (!in) {
                    return Illeggibile(PercheSistema(errno));
                }
                return DaFlusso(in.get(), destinazione, fermo, osservatore, true);
            }
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
            return DaFlusso(in.get(), destinazione, fermo, osservatore, false);
        }
        case Sorgente::Tipo::Flusso:
            return DaFlusso(sorgente.flusso, destinazione, fermo, osservatore, true);
    }
    return {};
}

EsitoEsecuzione Esecuzione::DaFlusso(std::FILE* in, Destinazione& destinazione,
                                     std::stop_token fermo, Osservatore* osservatore,
                                     bool senzaNome) {
    Lettura& lettura = *lettura_;
    RegistroAtteso* registro = impostazioni_.registro;
    // A file, though it may come as standard input, is read twice, from where it stands.
    struct stat info {};
    const off_t inizio = ftello(in);
    if (fstat(fileno(in), &info) == 0 && S_ISREG(info.st_mode) && inizio >= 0 &&
        inizio <= info.st_size) {
        if (senzaNome && inizio == 0) {
            const Tipo tipo = TipoDelFile(fileno(in));
            if (tipo.formato == Formato::NessunElenco) {
                return Illeggibile(tipo.motivo.toStdString());
            }
            if (tipo.formato != Formato::Testo) {
                return DaFoglio("/proc/self/fd/" + std::to_string(fileno(in)), destinazione, fermo);
            }
        }
        Progressi progressi{osservatore, 2};
        return DueLetture(in, inizio, static_cast<std::uint64_t>(info.st_size - inizio), lettura,
                          registro, destinazione, fermo, progressi, 1);
    }
    // Anything else is copied first: the copy is the first of three readings.
    Progressi progressi{osservatore, 3};
    Copia copia;
    std::vector<char> blocco;
    std::size_t letti = 0;    // of the block last read
    std::size_t copiati = 0;  // of those, the bytes in the copy
    int errore = 0;
    bool finito = false;  // the stream has ended, or failed
    bool intera = false;  // and all of it is in the copy
    if (copia.Apri()) {
#ifdef F_SETPIPE_SZ
        // A pipe as large as the system lets it be, so that its writer and this program take
        // turns a megabyte at a time rather than every 64 KiB.
        if (S_ISFIFO(info.st_mode)) {
            ::fcntl(fileno(in), F_SETPIPE_SZ, static_cast<int>(kBlocco));
        }
#endif
        blocco.resize(kBlocco);
        while (!intera) {
            if (fermo.stop_requested()) {
                return {EsitoEsecuzione::Tipo::Interrotto, {}, false};
            }
            letti = DalFlusso{in}(blocco.data(), blocco.size(), errore);
            finito = letti < blocco.size();
            const std::uint64_t prima = copia.Scritti();
            const bool scritto = copia.Scrivi(blocco.data(), letti);
            copiati = static_cast<std::size_t>(copia.Scritti() - prima);
            progressi.Avanza(copiati, 1);
            if (!scritto) {
                break;
            }
            intera = finito && errore == 0;
            if (finito && !intera) {
                break;
            }
        }
    }
    if (intera) {
        if (senzaNome) {
            const Tipo tipo = TipoDelFile(copia.Fd());
            if (tipo.formato == Formato::NessunElenco) {
                return Illeggibile(tipo.motivo.toStdString());
            }
            if (tipo.formato != Formato::Testo) {
                return DaFoglio("/proc/self/fd/" + std::to_string(copia.Fd()), destinazione, fermo);
            }
        }
        const std::unique_ptr<std::FILE, ChiudiFile> copiato(copia.Flusso());
        if (copiato) {
            return DueLetture(copiato.get(), 0, copia.Scritti(), lettura, registro, destinazione,
                              fermo, progressi, 2);
        }
    }
    // No copy to be had, or not of all of it: one reading, which keeps every code it meets.
    if (registro != nullptr) {
        registro->Prendi();
    }
    progressi.letture = 2;
    progressi.Inizia(0);
    Ripresa fonte{copia, std::string_view(blocco.data(), letti).substr(copiati), DalFlusso{in},
                  finito, errore};
    return Consegna(fonte, false, lettura, destinazione, fermo, progressi, 2);
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
