// What a call that may fail returns: its value, or the problem in words. The members are the
// few of C++23's std::expected<T, Problem> that we use, so that it can become that type; it is
// our own because clang 14 (the fuzzers' compiler) has no <expected>.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace platform {

// Why a call failed, in words for a person.
struct Problem {
    std::string text;
};

// A failure to return, as std::unexpected<Problem> would be: `return platform::Fail("...")`.
struct Unexpected {
    Problem problem;
};
inline Unexpected Fail(std::string text) {
    return Unexpected{Problem{std::move(text)}};
}

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Unexpected failure) : state_(std::in_place_index<1>, std::move(failure.problem)) {}

    bool has_value() const { return state_.index() == 0; }
    explicit operator bool() const { return has_value(); }
    T& operator*() { return std::get<0>(state_); }
    const T& operator*() const { return std::get<0>(state_); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }
    const Problem& error() const { return std::get<1>(state_); }
    template <typename U>
    T value_or(U&& otherwise) const {
        return has_value() ? **this : static_cast<T>(std::forward<U>(otherwise));
    }

    template <typename U>
    friend bool operator==(const Result& result, const U& value) {
        return result.has_value() && *result == value;
    }

private:
    std::variant<T, Problem> state_;
};

// A call that has nothing to return but may fail: `return {};` when it went well.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Unexpected failure) : problem_(std::move(failure.problem)) {}

    bool has_value() const { return !problem_; }
    explicit operator bool() const { return has_value(); }
    const Problem& error() const { return *problem_; }

private:
    std::optional<Problem> problem_;
};

}  // namespace platform
