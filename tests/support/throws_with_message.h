#pragma once
// The expectation that a call raises an exception of a class (or one derived from it) whose
// message matches:
//
//     EXPECT_THAT([&] { return URLDecode(input); },
//                 ThrowsWithMessage<EConvertError>("''$zz'' is not a valid integer value"));
//     EXPECT_THAT([&] { return GetDirectoryObject(platform, path); },
//                 ThrowsWithMessage<EDirectoryError>(
//                     HasSubstr("Directory error"),
//                     Property("Code()", &EDirectoryError::Code, code)));
//
// A plain string asks for the whole message, HasSubstr or StartsWith for a part of it; further
// matchers check what else the exception carries. A call that raises nothing, or another class,
// fails. The message is read as a std::string, so a UTF-8 text that does not match is shown as
// text rather than as escaped bytes. On a failure gmock runs the call a second time to explain it.

#include <exception>
#include <string>
#include <utility>

#include <gmock/gmock.h>

namespace vq::test {

template <typename Error, typename MessageMatcher, typename... ErrorMatchers>
auto ThrowsWithMessage(MessageMatcher message, ErrorMatchers... more) {
    const auto what = [](const std::exception& error) { return std::string(error.what()); };
    return testing::Throws<Error>(
        testing::AllOf(testing::ResultOf("what()", what, std::move(message)), std::move(more)...));
}

}  // namespace vq::test
