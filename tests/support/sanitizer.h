// Whether this build runs under AddressSanitizer, whose shadow memory and
// quarantine change what memory tests can see.
#pragma once

namespace quorvel::testing {

inline bool AddressSanitized() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return true;
#endif
#endif
  return false;
}

}  // namespace quorvel::testing
