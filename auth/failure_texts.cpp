#include "auth/failure_texts.h"

namespace vq::failure_text {

namespace {

std::string Joined(std::string_view first, std::string_view second) {
    std::string text(first);
    return text.append(second);
}

// "what: why", or just "what" when the system gave no description.
std::string WithReason(std::string text, std::string_view system_text) {
    if (!system_text.empty()) text.append(": ").append(system_text);
    return text;
}

// Names and addresses stand in Russian quotation marks.
std::string Quoted(std::string_view text) { return Joined(Joined("«", text), "»"); }

std::string Milliseconds(std::chrono::milliseconds timeout) {
    return std::to_string(timeout.count()) + " мс";
}

}  // namespace

std::string CannotResolve(std::string_view host_name, std::string_view system_text) {
    return WithReason("Не удалось найти адрес сервера " + Quoted(host_name), system_text);
}

std::string CannotConnect(std::string_view endpoint, std::string_view system_text) {
    return WithReason(Joined("Не удалось подключиться к ", endpoint), system_text);
}

std::string CannotSend(std::string_view system_text) {
    return WithReason("Не удалось отправить запрос серверу", system_text);
}

std::string SendTimedOut(std::chrono::milliseconds timeout) {
    return "Сервер не принял запрос за " + Milliseconds(timeout);
}

std::string ReceiveTimedOut(std::chrono::milliseconds timeout) {
    return "Сервер не ответил за " + Milliseconds(timeout);
}

std::string ConnectionLost(std::string_view system_text) {
    return WithReason("Соединение с сервером прервано", system_text);
}

std::string ClosedInsideHeaders() {
    return "Сервер закрыл соединение, не передав заголовки ответа";
}

std::string ClosedInsideChunk() { return "Сервер закрыл соединение посреди блока ответа"; }

std::string ClosedInsideAnswer() { return "Сервер закрыл соединение, не передав ответ целиком"; }

std::string MalformedAnswer(std::string_view what_is_wrong) {
    return WithReason("Ответ сервера не по протоколу HTTP", what_is_wrong);
}

std::string HeadersTooLong(std::size_t limit) {
    return "Заголовки ответа сервера длиннее " + std::to_string(limit) + " байт";
}

std::string BodyTooLong(std::size_t limit) {
    return "Ответ сервера длиннее " + std::to_string(limit) + " байт";
}

std::string UnsupportedScheme(std::string_view scheme, std::string_view url) {
    if (scheme.empty()) return "Адрес " + Quoted(url) + " не начинается с " + Quoted("http://");
    return "Схема " + Quoted(scheme) + " в адресе " + Quoted(url) +
           " не поддерживается: клиент работает только по http";
}

std::string NoHost(std::string_view url) { return "В адресе " + Quoted(url) + " не указан сервер"; }

std::string InvalidPort(std::string_view port, std::string_view url) {
    return "Неверный порт " + Quoted(port) + " в адресе " + Quoted(url);
}

std::string InvalidUrl(std::string_view url) { return "Неверный адрес " + Quoted(url); }

std::string InvalidRedirect(std::string_view location) {
    return "Сервер перенаправил на неверный адрес " + Quoted(location);
}

}  // namespace vq::failure_text
