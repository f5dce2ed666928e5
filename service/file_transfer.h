#pragma once
// The file transfer of a module, as the background job: a file of records sent as the data of
// one "DLL" instruction ("Přenos souboru"), or records read with "RDI" into a file ("Načtení do
// souboru").
//
// A transfer file holds records all as long as the first one, each ended by '+' or '*' (one
// character) or CR LF (two); the first 200 bytes must show the first record's end. A file whose
// records do not all end there, or that holds a NUL byte, is refused whole before the line is
// opened. Sent, the records go as "data+" ... "data*" and the CRC-8 of all that went before the
// '*'; the module acknowledges each record with one byte, 'K' when it took it. The transfer goes
// on after any acknowledgement; those that were not 'K' are listed at its end.
//
// Read records go to "NAME.part" beside the target, which takes the target's place only when
// every record came: a failed read leaves the target as it was and keeps what came in the part.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace lumo {

struct TransferLayout {
    std::size_t recordLength = 0;      // with its terminator
    std::size_t terminatorLength = 0;  // 1 ('+' or '*') or 2 (CR LF)
};
// The layout from the file's first bytes (at most 200 are looked at); none without a terminator.
std::optional<TransferLayout> transferLayout(const std::uint8_t* head, std::size_t count);

// What is wrong with record `number` (from 1) of a send file, given its `count` bytes (fewer
// than the layout's length when the file ends inside it); empty when it may go.
std::string recordFault(const std::uint8_t* record, std::size_t count, const TransferLayout& layout, long number);

// The DLL sub-instruction as the dialog's field holds it, read as a hexadecimal number; none
// unless it is what one digit on the wire carries (0-9).
std::optional<int> dllSubInstruction(const std::string& text);

// The temporary file a read goes to, beside its target.
inline std::string partFileName(const std::string& target) { return target + ".part"; }

// The counter a DLL sub-instruction's data fills, zeroed before sending: 0 -> C4, 1 -> C2,
// 3 -> C3, 5 -> C1; 0 for the others (nothing is zeroed).
int counterOfDll(int subInstruction);

inline constexpr std::uint8_t kRecordAcknowledged = 'K';
inline constexpr std::size_t kReadRecordLength = 31;
// How often the closing "&ML_END" is sent when sending it fails (a
// dead port must not loop for ever).
inline constexpr int kReleaseAttempts = 3;

enum class TransferDirection { Read = 0, Send = 1 };

struct TransferRequest {
    int lineIndex = 0;
    int moduleNumber = 0;
    int subInstruction = 0;  // DLL's, as written on the wire
    std::string fileName;
    TransferDirection direction = TransferDirection::Send;
};

// The job's work, on its thread: every failure is shown ("Přenos dat") or reported; a cancel
// ends it quietly (every wait on the line asks for it), the release "&ML_END" goes out once the
// line was opened. True when every record went and was acknowledged with 'K' (or every record
// came and the target holds them).
bool runFileTransfer(const TransferRequest& request);

}  // namespace lumo
