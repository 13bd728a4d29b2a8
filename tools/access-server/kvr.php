<?php
// Reference access server script, run by PHP's built-in server:
//   php -S 127.0.0.1:8080 -t tools/access-server
//
// It plays the billing server's side of the workstation client's conversation:
// a client without a session is asked for its credentials, a POSTed ZIP archive
// with the entry "dta" carries them as URL-encoded INI text, a known user gets
// a PHP session, and every answer after that reports the account's fields as
// read from the accounts file at that moment.

declare(strict_types=1);

// A warning printed into the body would replace the keyword on the first line,
// so PHP's own messages go to the server's log (stderr) only.
ini_set('display_errors', '0');
ini_set('log_errors', '1');
// Never adopt a session id that this server did not issue.
ini_set('session.use_strict_mode', '1');
ini_set('session.use_only_cookies', '1');
ini_set('session.cookie_httponly', '1');

const KEYWORD_NEED_AUTH_DATA = 'server_need_auth_data';
const KEYWORD_AUTH_FAILED = 'server_auth_failed';
const KEYWORD_STATUS_OK = 'server_status_ok';

// The credentials are three short lines; anything far bigger is not a client of ours
// (and a few kilobytes of deflated data can expand to gigabytes).
const MAX_PAYLOAD_BYTES = 64 * 1024;

// Encodes bytes the way the client decodes them: letters, digits and "_" stay,
// space becomes "+", every other byte becomes %XX with upper-case hex digits.
// PHP's urlencode() would leave "-", "." and "~" as they are.
function encode_value(string $bytes): string
{
    $escaped = preg_replace_callback(
        '/[^0-9A-Za-z_ ]/',
        static fn(array $m): string => sprintf('%%%02X', ord($m[0])),
        $bytes
    );
    return str_replace(' ', '+', $escaped);
}

// Reads URL-encoded INI text into name => value, names folded to lower case
// because the client treats them case-insensitively. Decoding with urldecode()
// is the exact inverse of the client's encoding ("+" is a space, %XX a byte).
function parse_url_encoded_ini(string $text): array
{
    $text = explode("\0", $text, 2)[0];
    $values = [];
    foreach (preg_split('/\r\n|\r|\n/', $text) as $line) {
        $eq = strpos($line, '=');
        if ($eq === false || $eq === 0) {
            continue;
        }
        $values[strtolower(substr($line, 0, $eq))] = urldecode(substr($line, $eq + 1));
    }
    return $values;
}

function fold_case(string $text): string
{
    // mbstring is optional; without it non-ASCII letters must match exactly.
    return function_exists('mb_strtolower') ? mb_strtolower($text, 'UTF-8') : strtolower($text);
}

function accounts_file(): string
{
    $path = getenv('VQ_ACCOUNTS_FILE');
    return ($path !== false && $path !== '') ? $path : __DIR__ . '/accounts.ini';
}

// Finds the account of a user name, ignoring letter case. The file is read on
// every request so that edits show on the client's next poll.
// Returns [section name, fields] or null; throws when the file is unusable.
function find_account(string $username): ?array
{
    $file = accounts_file();
    // RAW keeps values as written: the client counts a flag as set only when it is exactly "1",
    // so "yes" must not silently turn into "1".
    $accounts = is_readable($file) ? parse_ini_file($file, true, INI_SCANNER_RAW) : false;
    if ($accounts === false) {
        error_log("accounts file unreadable: $file");
        throw new RuntimeException('server error: accounts file unreadable');
    }
    $wanted = fold_case($username);
    foreach ($accounts as $name => $fields) {
        if (is_array($fields) && fold_case((string)$name) === $wanted) {
            return [(string)$name, array_filter($fields, 'is_string')];
        }
    }
    return null;
}

// Writes the whole answer: the first line is a keyword or an error text, then
// any account fields as URL-encoded INI lines. Always status 200: the client shows
// the body of a 200 answer that is no keyword as the error text, but for any
// other status only the status line.
function answer(string $firstLine, array $fields = [], string $user = '-'): never
{
    error_log(sprintf('%s %s -> %s', $_SERVER['REQUEST_METHOD'] ?? '?', $user, $firstLine));
    $lines = [$firstLine];
    foreach ($fields as $name => $value) {
        $lines[] = $name . '=' . encode_value($value);
    }
    header('Content-Type: text/plain; charset=utf-8');
    header('Cache-Control: no-store');
    echo implode("\r\n", $lines), "\r\n";
    exit;
}

function answer_status(array $account, string $user, string $reportedName): never
{
    [, $fields] = $account;
    // Without a display name in the accounts file, show the one the workstation reported.
    if (!isset($fields['dname']) && $reportedName !== '') {
        $fields['dname'] = $reportedName;
    }
    answer(KEYWORD_STATUS_OK, $fields, $user);
}

// Resumes the session named by the client's cookie, if it sent one; a client
// without a cookie gets no session until its credentials are accepted.
function resume_session(): bool
{
    return isset($_COOKIE[session_name()]) && session_start();
}

// Forgets the client's session, if it has one, and tells the client to drop its cookie,
// so that it comes back without one.
function end_session(): void
{
    if (session_status() !== PHP_SESSION_ACTIVE) {
        return;
    }
    $_SESSION = [];
    session_destroy();
    // session_start() may already have offered a new id for an unknown one; take it back.
    header_remove('Set-Cookie');
    $params = session_get_cookie_params();
    unset($params['lifetime']);
    setcookie(session_name(), '', ['expires' => 1] + $params);
}

// Returns the credentials from the uploaded archive, or throws with the error text for the client.
function read_credentials(): array
{
    $upload = $_FILES['dta'] ?? null;
    if (!is_array($upload) || !is_string($upload['tmp_name'] ?? null)) {
        throw new RuntimeException('bad request: no file field "dta"');
    }
    if ($upload['error'] !== UPLOAD_ERR_OK) {
        throw new RuntimeException('bad request: upload failed with code ' . $upload['error']);
    }
    // ZipArchive takes an empty file for an empty archive; it is no archive of ours.
    if ($upload['size'] === 0) {
        throw new RuntimeException('bad request: empty upload');
    }
    $zip = new ZipArchive();
    // Strict consistency checks: this server doubles as a check of the client's ZIP writer.
    $opened = $zip->open($upload['tmp_name'], ZipArchive::RDONLY | ZipArchive::CHECKCONS);
    if ($opened !== true) {
        throw new RuntimeException('bad request: upload is not a ZIP archive (code ' . $opened . ')');
    }
    try {
        $index = $zip->locateName('dta');
        if ($index === false) {
            throw new RuntimeException('bad request: no entry "dta" in the archive');
        }
        $stat = $zip->statIndex($index);
        if ($stat === false || $stat['size'] > MAX_PAYLOAD_BYTES) {
            throw new RuntimeException('bad request: entry "dta" is too large');
        }
        // The length cap holds even when the entry's header understates its size.
        $text = $zip->getFromIndex($index, MAX_PAYLOAD_BYTES + 1);
        if ($text === false || strlen($text) > MAX_PAYLOAD_BYTES) {
            throw new RuntimeException('bad request: entry "dta" cannot be read');
        }
        // A short read does not reach libzip's own CRC check; a faulty writer should hear of it.
        if (crc32($text) !== $stat['crc'] || strlen($text) !== $stat['size']) {
            throw new RuntimeException('bad request: entry "dta" fails its CRC check');
        }
    } finally {
        $zip->close();
    }
    return parse_url_encoded_ini($text);
}

try {
    $method = $_SERVER['REQUEST_METHOD'] ?? 'GET';

    if ($method === 'POST') {
        $request = read_credentials();
        $username = $request['username'] ?? '';
        // Fresh credentials replace whatever session the client had.
        resume_session();
        $account = $username === '' ? null : find_account($username);
        if ($account === null) {
            end_session();
            answer(KEYWORD_AUTH_FAILED, [], $username === '' ? '-' : $username);
        }
        if (session_status() !== PHP_SESSION_ACTIVE && !session_start()) {
            throw new RuntimeException('server error: cannot start a session');
        }
        // A new id at every login, so an id seen before the login is worth nothing after it.
        session_regenerate_id(true);
        $_SESSION['username'] = $account[0];
        $_SESSION['dname'] = $request['dname'] ?? '';
        $groups = str_replace(["\r\n", "\r", "\n"], '; ', rtrim($request['groups'] ?? ''));
        error_log('groups of ' . $account[0] . ': ' . ($groups === '' ? '(none)' : $groups));
        session_write_close();
        answer_status($account, $account[0], $_SESSION['dname']);
    }

    if ($method === 'GET' || $method === 'HEAD') {
        $user = resume_session() ? ($_SESSION['username'] ?? null) : null;
        if (!is_string($user)) {
            end_session();
            answer(KEYWORD_NEED_AUTH_DATA);
        }
        $account = find_account($user);
        if ($account === null) {
            // The account was removed while the client was logged in.
            end_session();
            answer(KEYWORD_AUTH_FAILED, [], $user);
        }
        $reportedName = (string)($_SESSION['dname'] ?? '');
        session_write_close();
        answer_status($account, $user, $reportedName);
    }

    answer('bad request: method ' . $method . ' not supported');
} catch (RuntimeException $e) {
    answer($e->getMessage());
}
