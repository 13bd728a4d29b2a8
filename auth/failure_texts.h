#pragma once
// The texts of the exchange's own failures, as the user reads them in the monitor window and the
// administrator in the connection log and in vq-probe: Russian, like every other text of the
// program, in UTF-8. A system's description (from the socket layer, in the system's language)
// is appended after ": " where there is one. A failure by status is not worded here: its text
// is the answer's status line as received.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace vq::failure_text {

std::string CannotResolve(std::string_view host_name, std::string_view system_text);
std::string CannotConnect(std::string_view endpoint, std::string_view system_text);
std::string CannotSend(std::string_view system_text);
std::string SendTimedOut(std::chrono::milliseconds timeout);
std::string ReceiveTimedOut(std::chrono::milliseconds timeout);
std::string ConnectionLost(std::string_view system_text);

std::string ClosedInsideHeaders();
std::string ClosedInsideChunk();
std::string ClosedInsideAnswer();
std::string MalformedAnswer(std::string_view what_is_wrong);
std::string HeadersTooLong(std::size_t limit);
std::string BodyTooLong(std::size_t limit);

std::string UnsupportedScheme(std::string_view scheme, std::string_view url);
std::string NoHost(std::string_view url);
std::string InvalidPort(std::string_view port, std::string_view url);
std::string InvalidUrl(std::string_view url);
std::string InvalidRedirect(std::string_view location);

}  // namespace vq::failure_text
