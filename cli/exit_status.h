// Exit statuses shared by quorvel-cli and quorvel-shape.
#pragma once

namespace quorvel {

enum ExitStatus : int {
  kExitSuccess = 0,
  kExitUsage = 1,
  kExitPictureRefused = 2,
  kExitShapeUnusable = 3,
  kExitOutputNotWritten = 4,
};

}  // namespace quorvel
