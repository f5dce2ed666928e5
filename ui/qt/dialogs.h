#pragma once
// The modal dialogs of the desktop panel. Each returns 1 when the user saved or accepted, 0 when
// the dialog was closed.

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

class QBoxLayout;
class QComboBox;
class QDialog;
class QLineEdit;
class QPushButton;
class QWidget;

namespace lumo {
struct RegisterChoice;
enum class ChangeMode;
struct FormField;
struct FormChoice;
}

namespace lumo::gui {

// "Konfigurace parametrů programu" (owner may be null at the first start); "Uložit" writes
// "config.dat".
int runConfigDialog(QWidget* owner);
// "About Lumo_hw".
int runAboutBox(QWidget* owner);
// "Identifikace zařízení": the device MAC shown and, on OK, replaced.
int runMacEntryDialog(QWidget* owner, std::array<std::uint8_t, 6>& mac);
// "Komunikační linka" for the given line.
int runLineDialog(QWidget* owner, int lineIndex);

// "Přidání zařízení": its line form adds a line, its module form a module to the given line.
int runAddLineDialog(QWidget* owner);
int runAddModuleDialog(QWidget* owner, int lineIndex);
// The change-setting dialog: "Typ zařízení" or "ID adresa" by the mode.
int runChangeSettingDialog(QWidget* owner, int lineIndex, int moduleNumber, ChangeMode mode);

// "Nastavení času" and "Nastavení počítadel" for a module (refused on a line).
int runClockDialog(QWidget* owner, int lineIndex, int moduleNumber);
int runCountersDialog(QWidget* owner, int lineIndex, int moduleNumber);
// "Odeslaní dat" before a file transfer to (`send`) or from a module; the transfer runs as the
// background job.
int runTransferDialog(QWidget* owner, int lineIndex, int moduleNumber, bool send);
// "Odeslat příkaz" for a module (refused on a line).
int runConsoleDialog(QWidget* owner, int lineIndex, int moduleNumber);
// "Testování komunikace" for a module (refused on a line); the test runs as the background job.
int runCommunicationTestDialog(QWidget* owner, int lineIndex, int moduleNumber);

// "Vlastnosti" of a module: the property sheet of its device family (a message for a type
// without one). 1 when the record was stored.
int runPropertySheet(QWidget* owner, int lineIndex, int moduleNumber);

// "Download" for the selected module or line: the image file, the warning, then the download
// as the background job.
int runDownloadDialog(QWidget* owner, int lineIndex, int moduleNumber);

// "Upload" (memory into a file, as the background job) and "memory DUMP" (into the configured
// editor and back) for a module: the "Upload segment" dialog first.
int runUploadDialog(QWidget* owner, int lineIndex, int moduleNumber);
int runMemoryDumpDialog(QWidget* owner, int lineIndex, int moduleNumber);

// "Vyhledání USB zařízení": the bridges present, saved as lines. 1 when lines were made.
int runUsbSearchDialog(QWidget* owner);

// "Inicializace modulu" for the selected module or line. 1 when the device was initialised.
int runInitDialog(QWidget* owner, int lineIndex, int moduleNumber);

// "Komunikační linka TCP" for a TCP converter line: its settings saved as the line dialog saves
// them, the device's own address set, its configuration console in the panel's terminal.
int runTcpLineDialog(QWidget* owner, int lineIndex);

// "Vyhledání TCP zařízení": the device servers that answer, saved as lines.
int runTcpSearchDialog(QWidget* owner);

// "Dekodóvání výrobního čísla".
int runSerialDecodeDialog(QWidget* owner);
// "Vydaná výrobní čísla" for a type code: 1 and the picked row in `chosen`, 0 when closed (or
// when the register cannot be read, after the report).
int runRegisterDialog(QWidget* owner, int typeCode, RegisterChoice& chosen);

// A file to open or save (modes 0-3 as the configuration names them): 1 and the path, or 0.
// Choosing a file makes its folder the last folder used and writes the configuration.
int chooseFile(QWidget* owner, std::string& result, int mode);
// A folder under `root`: 1 and the path (at most 259 characters), or 0.
int chooseFolder(QWidget* owner, const std::string& root, std::string& result);

// Centres a dialog over the main window, never beyond the screen's top-left corner.
void CenterOverMainWindow(QWidget* dialog);
// What every dialog gets before it is shown: a fixed size, a frame with only a title and a
// close button, its place over the main window.
void finishDialog(QDialog* dialog);
// A field that shows a value: read-only, looking so, and never given the first focus.
void markReadOnly(QLineEdit* field);
// A widget showing its form's value (ui/form_field.h): a field's length limit, its text (set only
// when it differs, so that the cursor stays where the user types), enabled and read-only look (a
// field once read-only stays so); a button's caption and enabled; a list's items (rebuilt only
// when they differ), the chosen one and enabled.
void showField(QLineEdit* widget, const FormField& field);
void showButton(QPushButton* widget, const FormField& field);
void showChoice(QComboBox* widget, const FormChoice& choice);
// dialog.exec(); then the signals of its widgets no longer reach what was connected with the
// dialog as context, so that a field losing its focus as the dialog goes away changes no form.
int execDialog(QDialog& dialog);
// Typing into `widget` is refused where `takes` refuses the text it would make.
void limitTyping(QLineEdit* widget, std::function<bool(const std::string&)> takes);
// The dialog's buttons in a row at the right, under what `layout` holds so far; in that order.
std::vector<QPushButton*> addButtonRow(QDialog& dialog, QBoxLayout* layout, std::initializer_list<const char*> captions);

}  // namespace lumo::gui
