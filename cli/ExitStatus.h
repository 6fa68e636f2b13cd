#pragma once
// The program's exit statuses, as scripts test them.

namespace kx::cli::exitstatus {

inline constexpr int kDone = 0;
inline constexpr int kRefused = 1;    // the add-in refused; its message was shown
inline constexpr int kUsage = 2;
inline constexpr int kFile = 3;       // a file could not be read, written or replaced; nothing written
inline constexpr int kStopped = 4;    // "Stop": the changes made so far are saved
inline constexpr int kAnsweredNo = 5; // nothing changed, nothing written
inline constexpr int kAbandoned = 130; // Ctrl-C: abandoned before anything was written

}  // namespace kx::cli::exitstatus
