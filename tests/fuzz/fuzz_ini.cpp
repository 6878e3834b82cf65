// Loads settings from an arbitrary K740.INI, derives and commits them, and
// checks that saving comes to rest: the first save may still reformat the
// file (blank lines around comments), but from the second on, loading and
// saving again gives the same file.
#include "link/interface_identity.h"
#include "settings/settings_file.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

const QString& ProgramDir()
{
    static QTemporaryDir dir;
    static const QString path = dir.path() + '/';
    return path;
}

void WriteFile(const QByteArray& bytes)
{
    QFile file(ProgramDir() + "K740.INI");
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

QByteArray ReadFile()
{
    QFile file(ProgramDir() + "K740.INI");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WriteFile(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const WindowGeometry window{10, 20, 800, 600, 0, 300, 5, 40, 120};
    QStringList errors;

    const TEncoderSettings plain = LoadSettings({ProgramDir(), "COM3", {}, false}, window, &errors);
    const TEncoderSettings filtered = LoadSettings({ProgramDir(), "COM3", "ABC", true}, window, nullptr);
    InterfaceIdentity identity;
    identity.ExtendedInterface = true;
    identity.InterfaceKind = 1;
    identity.FirmwareVersion = 116;
    const TEncoderSettings active = ActivateSettings(plain, identity);
    CommitSettings(active, plain);
    identity.ExtendedInterface = false;
    CommitSettings(ActivateSettings(filtered, identity), filtered);

    const SettingsLocation edit{ProgramDir(), "COM3", {}, true};
    const auto loadAndSave = [&] { return SaveSettings(edit, LoadSettings(edit, window, nullptr), window); };
    if (!loadAndSave().isEmpty())
        return 0;   // a file it cannot read whole is left as it is
    if (!loadAndSave().isEmpty())
        std::abort();
    const QByteArray settled = ReadFile();
    if (!loadAndSave().isEmpty() || ReadFile() != settled)
        std::abort();
    return 0;
}
