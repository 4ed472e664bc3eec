// One JSON object written as a single line, built field by field. Used by the probe's
// commands on the probe's only thread.
#pragma once

#include <windows.h>

#include <string>

class JsonLine {
  public:
    JsonLine& Add(const char* key, long long value);
    JsonLine& Add(const char* key, bool value);
    // text is in the ANSI code page; it is written as JSON with \u escapes past ASCII.
    JsonLine& Add(const char* key, const char* text);
    JsonLine& Add(const char* key, const std::string& text) { return Add(key, text.c_str()); }
    JsonLine& AddHex(const char* key, unsigned long long value);
    JsonLine& AddHandle(const char* key, HWND window);
    JsonLine& AddRect(const char* key, const RECT& rc);
    JsonLine& AddRaw(const char* key, const std::string& json);  // already-formed JSON value
    // Prints the object and a newline to stdout and flushes it.
    void Print() const;
    std::string Text() const { return "{" + body_ + "}"; }

    static std::string Quote(const char* text, size_t length);

  private:
    void Key(const char* key);
    std::string body_;
};
