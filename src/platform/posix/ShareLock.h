// Share modes between processes: the lock protocol.
//
// Windows refuses an open whose access another open handle does not share, or whose sharing
// does not admit the access of another open handle (ERROR_SHARING_VIOLATION, 32). Linux has no
// such rule, so every program that opens the product's files through this layer, and the index
// builder, follows the protocol below. It uses open-file-description locks (fcntl F_OFD_SETLK,
// F_OFD_SETLKW, F_OFD_GETLK), which belong to one open(2) of the file: two handles of one
// process conflict exactly as two handles of two processes do (as on Windows), and the kernel
// drops them when the descriptor is closed or its process dies, so a crashed holder never
// leaves a file locked.
//
// The locks sit on reserved bytes of the file itself, far beyond any real data (a lock does not
// need the byte to exist and does not change the file):
//
//   offset kShareLockBase + 0   gate          exclusive lock, held only while checking
//   offset kShareLockBase + 1   read access   shared lock held by every handle that may read
//   offset kShareLockBase + 2   write access  ...                               that may write
//   offset kShareLockBase + 3   delete access ...              that may delete or rename
//   offset kShareLockBase + 4   denies read   shared lock held by every handle that does not
//                                             share reading (no FILE_SHARE_READ)
//   offset kShareLockBase + 5   denies write  ... no FILE_SHARE_WRITE
//   offset kShareLockBase + 6   denies delete ... no FILE_SHARE_DELETE
//
// Opening a handle with access A (read, write, delete) and denials D:
//  1. Open the file (for reading at least: a shared lock needs a descriptor open for reading).
//     A handle with none of the three accesses takes no locks and conflicts with nothing.
//  2. If the descriptor is open for writing, take the gate: F_OFD_SETLKW with F_WRLCK on the
//     gate byte. It keeps two writers that test at the same moment from failing each other. A
//     read-only descriptor cannot place an exclusive lock and skips this step.
//  3. Take F_RDLCK (F_OFD_SETLK) on the access byte of each access in A and on the denial byte
//     of each denial in D.
//  4. Only then test: for each access in A, ask F_OFD_GETLK with F_WRLCK whether another
//     descriptor holds the matching denial byte; for each denial in D, whether another holds
//     the matching access byte. Any answer other than F_UNLCK is a conflict.
//  5. On a conflict, unlock the bytes of step 3, release the gate and fail with 32. Without the
//     gate, wait a moment (1 ms, then 2 ms) and try steps 3-4 again, up to three times in all,
//     because two openers testing at once may each have seen the other.
//  6. Release the gate (F_UNLCK). The shared locks stay until the descriptor is closed.
// Because every opener takes its own locks before it tests (step 3 before step 4), two opens
// that conflict can never both succeed, with or without the gate: the later of the two tests
// always sees the earlier one's locks.
//
// Deleting or renaming a file is an open with delete access that shares everything: take the
// delete-access byte, test the denies-delete byte, and unlink or rename while the lock is held,
// so no handle that denies deletion can appear in between. A rename over an existing file does
// this for the target too. A file this process may not open at all (no read permission) is
// deleted or renamed without the test.
#pragma once

#include <sys/types.h>

#include <cstdint>

namespace tq {

constexpr off_t kShareLockBase = INT64_MAX - 63;
constexpr off_t kShareGateByte = kShareLockBase;
constexpr off_t kShareAccessBytes = kShareLockBase + 1;  // + 0 read, + 1 write, + 2 delete
constexpr off_t kShareDenyBytes = kShareLockBase + 4;    // + 0 read, + 1 write, + 2 delete

// Takes the share locks of a handle with the given access (GENERIC_READ | GENERIC_WRITE |
// DELETE_ACCESS) and sharing (FILE_SHARE_*) on fd, following the protocol above. Returns 0 with
// the locks held (until fd is closed), ERROR_SHARING_VIOLATION with none held, or the Win32
// form of an fcntl failure.
int32_t TakeShareLocks(int fd, uint32_t access, uint32_t share);

}  // namespace tq
