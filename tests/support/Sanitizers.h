#pragma once
// Whether this test binary runs under a sanitizer that reserves vast address space for its
// shadow memory (address, thread, memory): limits on the address space say nothing there.

namespace nolby::test {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kShadowMemory = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
inline constexpr bool kShadowMemory = true;
#else
inline constexpr bool kShadowMemory = false;
#endif
#else
inline constexpr bool kShadowMemory = false;
#endif

}  // namespace nolby::test
