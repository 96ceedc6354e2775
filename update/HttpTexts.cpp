#include "update/HttpTexts.h"

#include <cstddef>

namespace {

struct NumberText {
    int32_t number;
    const char* text;
};

const NumberText kWinHttpErrors[] = {
    {12001, "ERROR_WINHTTP_OUT_OF_HANDLES"},
    {12002, "ERROR_WINHTTP_TIMEOUT"},
    {12004, "ERROR_WINHTTP_INTERNAL_ERROR"},
    {12005, "ERROR_WINHTTP_INVALID_URL"},
    {12006, "ERROR_WINHTTP_UNRECOGNIZED_SCHEME"},
    {12007, "ERROR_WINHTTP_NAME_NOT_RESOLVED"},
    {12009, "ERROR_WINHTTP_INVALID_OPTION"},
    {12011, "ERROR_WINHTTP_OPTION_NOT_SETTABLE"},
    {12012, "ERROR_WINHTTP_SHUTDOWN"},
    {12015, "ERROR_WINHTTP_LOGIN_FAILURE"},
    {12017, "ERROR_WINHTTP_OPERATION_CANCELLED"},
    {12018, "ERROR_WINHTTP_INCORRECT_HANDLE_TYPE"},
    {12019, "ERROR_WINHTTP_INCORRECT_HANDLE_STATE"},
    {12029, "ERROR_WINHTTP_CANNOT_CONNECT"},
    {12030, "ERROR_WINHTTP_CONNECTION_ERROR"},
    {12032, "ERROR_WINHTTP_RESEND_REQUEST"},
    {12037, "ERROR_WINHTTP_SECURE_CERT_DATE_INVALID"},
    {12038, "ERROR_WINHTTP_SECURE_CERT_CN_INVALID"},
    {12044, "ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED"},
    {12045, "ERROR_WINHTTP_SECURE_INVALID_CA"},
    {12057, "ERROR_WINHTTP_SECURE_CERT_REV_FAILED"},
    {12100, "ERROR_WINHTTP_CANNOT_CALL_BEFORE_OPEN"},
    {12101, "ERROR_WINHTTP_CANNOT_CALL_BEFORE_SEND"},
    {12102, "ERROR_WINHTTP_CANNOT_CALL_AFTER_SEND"},
    {12103, "ERROR_WINHTTP_CANNOT_CALL_AFTER_OPEN"},
    {12150, "ERROR_WINHTTP_HEADER_NOT_FOUND"},
    {12152, "ERROR_WINHTTP_INVALID_SERVER_RESPONSE"},
    {12154, "ERROR_WINHTTP_INVALID_QUERY_REQUEST"},
    {12155, "ERROR_WINHTTP_HEADER_ALREADY_EXISTS"},
    {12156, "ERROR_WINHTTP_REDIRECT_FAILED"},
    {12157, "ERROR_WINHTTP_SECURE_CHANNEL_ERROR"},
    {12166, "ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT"},
    {12167, "ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT"},
    {12169, "ERROR_WINHTTP_SECURE_INVALID_CERT"},
    {12170, "ERROR_WINHTTP_SECURE_CERT_REVOKED"},
    {12172, "ERROR_WINHTTP_NOT_INITIALIZED"},
    {12175, "ERROR_WINHTTP_SECURE_FAILURE"},
    {12178, "ERROR_WINHTTP_AUTO_PROXY_SERVICE_ERROR"},
    {12179, "ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE"},
    {12180, "ERROR_WINHTTP_AUTODETECTION_FAILED"},
    {12181, "ERROR_WINHTTP_HEADER_COUNT_EXCEEDED"},
    {12182, "ERROR_WINHTTP_HEADER_SIZE_OVERFLOW"},
    {12183, "ERROR_WINHTTP_CHUNKED_ENCODING_HEADER_SIZE_OVERFLOW"},
    {12184, "ERROR_WINHTTP_RESPONSE_DRAIN_OVERFLOW"},
    {12185, "ERROR_WINHTTP_CLIENT_CERT_NO_PRIVATE_KEY"},
    {12186, "ERROR_WINHTTP_CLIENT_CERT_NO_ACCESS_PRIVATE_KEY"},
};

const NumberText kStatusTexts[] = {
    {400, "Bad Request"},
    {401, "Unauthorized"},
    {402, "Payment Required"},
    {403, "Forbidden"},
    {404, "Not Found"},
    {405, "Method Not Allowed"},
    {406, "Not Acceptable"},
    {407, "Proxy Authentication Required"},
    {408, "Request Timeout"},
    {409, "Conflict"},
    {410, "Gone"},
    {411, "Length Required"},
    {412, "Precondition Failed"},
    {413, "Payload Too Large"},
    {414, "URI Too Long"},
    {415, "Unsupported Media Type"},
    {416, "Requested Range Not Satisfiable"},
    {417, "Expectation Failed"},
    {418, "I'm a teapot"},
    {422, "Unprocessable Entity"},
    {423, "Locked"},
    {424, "Failed Dependency"},
    {426, "Upgrade Required"},
    {428, "Precondition Required"},
    {429, "Too Many Requests"},
    {431, "Request Header Fields Too Large"},
    {451, "Unavailable For Legal Reasons"},
    {500, "Internal Server Error"},
    {501, "Not Implemented"},
    {502, "Bad Gateway"},
    {503, "Service Unavailable"},
    {504, "Gateway Timeout"},
    {505, "HTTP Version Not Supported"},
    {506, "Variant Also Negotiates"},
    {507, "Insufficient Storage"},
    {508, "Loop Detected"},
    {510, "Not Extended"},
    {511, "Network Authentication Required"},
};

template <size_t N> const char* lookUp(const NumberText (&table)[N], int32_t number, const char* other) {
    for (const NumberText& e : table)
        if (e.number == number) return e.text;
    return other;
}

}  // namespace

const char* winHttpErrorName(int32_t number) { return lookUp(kWinHttpErrors, number, "Unkn"); }

const char* httpStatusText(int status) { return lookUp(kStatusTexts, status, "Unknown Status"); }
