// The host's objects answer the module across the boundary, where nothing may be thrown, yet
// their bookkeeping allocates (names, lists, the life-cycle log). An operation whose body may
// throw runs it through answerSafely: a failed allocation then answers `failed` instead of
// escaping into the module.
#pragma once

#include <exception>
#include <type_traits>
#include <utility>

namespace QentSim {

// body() or, when it throws, `failed`. [any thread]
template <class Body>
std::invoke_result_t<Body> answerSafely(std::invoke_result_t<Body> failed, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (const std::exception&) {
    return failed;
  }
}

}  // namespace QentSim
