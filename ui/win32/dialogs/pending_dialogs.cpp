// Dialogs not yet drawn for Windows: each says so.
#include "base/ui_port.h"
#include "ui/win32/dialogs.h"

namespace lumo::win32 {
namespace {
int pending(const char* name) {
    uiMessage("Upozornění", std::string(name) + ": dialog zatím není k dispozici.", MessageIcon::Information);
    return 0;
}
}  // namespace

int runMacEntryDialog(HWND, std::array<std::uint8_t, 6>&) { return pending("Identifikace zařízení"); }
int runLineDialog(HWND, int) { return pending("Komunikační linka"); }
int runAddLineDialog(HWND) { return pending("Přidání zařízení"); }
int runAddModuleDialog(HWND, int) { return pending("Přidání zařízení"); }
int runChangeSettingDialog(HWND, int, int, ChangeMode) { return pending("Změna"); }
int runClockDialog(HWND, int, int) { return pending("Nastavení času"); }
int runCountersDialog(HWND, int, int) { return pending("Nastavení počítadel"); }
int runTransferDialog(HWND, int, int, bool) { return pending("Odeslaní dat"); }
int runConsoleDialog(HWND, int, int) { return pending("Odeslat příkaz"); }
int runCommunicationTestDialog(HWND, int, int) { return pending("Testování komunikace"); }
int runDownloadDialog(HWND, int, int) { return pending("Download"); }
int runUploadDialog(HWND, int, int) { return pending("Upload"); }
int runMemoryDumpDialog(HWND, int, int) { return pending("memory DUMP"); }
int runUsbSearchDialog(HWND) { return pending("Vyhledání USB zařízení"); }
int runTcpSearchDialog(HWND) { return pending("Vyhledání TCP zařízení"); }
int runInitDialog(HWND, int, int) { return pending("Inicializace modulu"); }
int runTcpLineDialog(HWND, int) { return pending("Komunikační linka TCP"); }
int runSerialDecodeDialog(HWND) { return pending("Dekodóvání výrobního čísla"); }
int runRegisterDialog(HWND, int, RegisterChoice&) { return pending("Vydaná výrobní čísla"); }

}  // namespace lumo::win32
