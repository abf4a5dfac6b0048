// A device library for tests: records every call with its arguments and
// answers with scripted replies. Hooks fill out-values for a named operation.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "vnapi/VnApi.h"

struct ApiCall {
    std::string Name;
    std::vector<std::string> Args; // each argument as text: numbers, 'c', "text", ptr or null
    std::vector<void*> Pointers;   // pointer arguments (null for values)
};

class RecordingVnApi : public VnApi {
public:
    // Reply of every later call of an operation (default 0).
    void SetReply(const std::string& name, int32_t reply) { Replies[name] = reply; }
    // Replies of the next calls, one each, before the default applies.
    void QueueReplies(const std::string& name, std::vector<int32_t> replies)
    {
        for (int32_t r : replies)
            Queued[name].push_back(r);
    }
    // Runs when the operation is called, before the reply is returned; may
    // fill out-values through call.Pointers.
    void SetHook(const std::string& name, std::function<void(ApiCall&)> hook) { Hooks[name] = std::move(hook); }

    const std::vector<ApiCall>& Calls() const { return History; }
    std::vector<std::string> Names() const;
    std::vector<ApiCall> CallsOf(const std::string& name) const;
    // "Name(arg, arg, ...)" of every call, for whole-sequence checks.
    std::vector<std::string> Trace() const;
    void Clear() { History.clear(); }

#include "RecordingVnApi.generated.h"

private:
    int32_t Handle(const char* name, std::vector<std::string> args, std::vector<void*> pointers);

    static std::string Fmt(const char* text);
    static std::string Fmt(char c);
    static std::string Fmt(float v);
    static std::string Fmt(const void* p) { return p ? "ptr" : "null"; }
    template <class T> static std::string Fmt(T v)
    {
        if constexpr (std::is_pointer_v<T>)
            return v ? "ptr" : "null";
        else
            return std::to_string(v);
    }
    static void* Ptr(const char* p) { return const_cast<char*>(p); }
    static void* Ptr(const void* p) { return const_cast<void*>(p); }
    template <class T> static void* Ptr(T v)
    {
        if constexpr (std::is_pointer_v<T>)
            return const_cast<void*>(static_cast<const void*>(v));
        else
            return nullptr;
    }

    std::vector<ApiCall> History;
    std::map<std::string, int32_t> Replies;
    std::map<std::string, std::deque<int32_t>> Queued;
    std::map<std::string, std::function<void(ApiCall&)>> Hooks;
};
