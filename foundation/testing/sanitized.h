#pragma once
// Whether the tests run under AddressSanitizer, whose checks make long loops of plain
// arithmetic many times slower: a test that is long only for its size keeps its largest
// sizes to the plain build, where they cost seconds rather than half a minute.

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitizedBuild = true;
#else
constexpr bool kSanitizedBuild = false;
#endif
#else
constexpr bool kSanitizedBuild = false;
#endif
