#pragma once
// What an action (a menu command or a lumo-ctl verb, whole) returns, the same for all of them:
//   > 0  done: the number of the line or record it made, else 1;
//     0  refused or declined: its message was shown or its question answered No; nothing changed;
//   < 0  failed: a read, write or transaction failed and was reported.
// In no case does the caller tell the user anything more.

namespace lumo {

inline constexpr int kActionDone = 1;
inline constexpr int kActionRefused = 0;
inline constexpr int kActionFailed = -1;

inline bool actionDone(int result) { return result > 0; }

}  // namespace lumo
