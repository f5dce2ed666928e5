#pragma once
// The modal dialogs of the Windows panel, each over its form (ui/*_form.h) and its template in
// the resource script. Each returns 1 when the user saved or accepted, 0 when it was closed.

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

namespace lumo {
struct RegisterChoice;
enum class ChangeMode;
}  // namespace lumo

namespace lumo::win32 {

// "Konfigurace parametrů programu" (owner may be null at the first start); "Uložit" writes
// "config.dat".
int runConfigDialog(HWND owner);
// "About Lumo_hw": the texts of the program file's version information.
int runAboutBox(HWND owner);
// "Identifikace zařízení": the device MAC shown and, on OK, replaced.
int runMacEntryDialog(HWND owner, std::array<std::uint8_t, 6>& mac);
// "Komunikační linka" for the given line.
int runLineDialog(HWND owner, int lineIndex);
// "Přidání zařízení": its line form adds a line, its module form a module to the given line.
int runAddLineDialog(HWND owner);
int runAddModuleDialog(HWND owner, int lineIndex);
// The change-setting dialog: "Typ zařízení" or "ID adresa" by the mode.
int runChangeSettingDialog(HWND owner, int lineIndex, int moduleNumber, ChangeMode mode);
// "Nastavení času" and "Nastavení počítadel" for a module (refused on a line).
int runClockDialog(HWND owner, int lineIndex, int moduleNumber);
int runCountersDialog(HWND owner, int lineIndex, int moduleNumber);
// "Odeslaní dat" before a file transfer to (`send`) or from a module.
int runTransferDialog(HWND owner, int lineIndex, int moduleNumber, bool send);
// "Odeslat příkaz" for a module.
int runConsoleDialog(HWND owner, int lineIndex, int moduleNumber);
// "Testování komunikace" for a module.
int runCommunicationTestDialog(HWND owner, int lineIndex, int moduleNumber);
// "Vlastnosti" of a module: the property sheet of its device family.
int runPropertySheet(HWND owner, int lineIndex, int moduleNumber);
// "Download" for the selected module or line.
int runDownloadDialog(HWND owner, int lineIndex, int moduleNumber);
// "Upload" and "memory DUMP" for a module: the "Upload segment" dialog first.
int runUploadDialog(HWND owner, int lineIndex, int moduleNumber);
int runMemoryDumpDialog(HWND owner, int lineIndex, int moduleNumber);
// "Vyhledání USB zařízení", "Vyhledání TCP zařízení".
int runUsbSearchDialog(HWND owner);
int runTcpSearchDialog(HWND owner);
// "Inicializace modulu" for the selected module or line.
int runInitDialog(HWND owner, int lineIndex, int moduleNumber);
// "Komunikační linka TCP" for a TCP converter line.
int runTcpLineDialog(HWND owner, int lineIndex);
// "Dekodóvání výrobního čísla".
int runSerialDecodeDialog(HWND owner);
// "Vydaná výrobní čísla" for a type code: 1 and the picked row in `chosen`, 0 when closed.
int runRegisterDialog(HWND owner, int typeCode, RegisterChoice& chosen);

// A file to open or save (modes 0-3 as the configuration names them): 1 and the path, or 0.
// Choosing a file makes its folder the last folder used and writes the configuration.
int chooseFile(HWND owner, std::string& result, int mode);
// A folder under `root`: 1 and the path (at most 259 characters), or 0.
int chooseFolder(HWND owner, const std::string& root, std::string& result);

}  // namespace lumo::win32
