#pragma once
// Making the process DPI-aware: the best kind of awareness Windows offers,
// tried in order, each through a call the system may lack. Portable: the
// calls are handed in, so the order and the stopping rules are tested with
// stand-ins; the Windows side passes the real ones.

// What one attempt came to.
enum DpiCallResult {
    DpiCallMissing,   // this Windows lacks the call
    DpiCallDone,      // the process is now aware in this way
    DpiCallRefused,   // access denied: the awareness was set already (manifest, earlier call)
    DpiCallFailed,    // any other failure (a kind of awareness this build does not know)
};

typedef DpiCallResult (*DpiCall)(void* context);

// The three ways, best first: per monitor version 2, per monitor, system-wide.
enum { kDpiCalls = 3 };

// Tries the calls in order until one is done or refused: a refusal means the
// process's awareness is settled, and nothing after it could change that.
// Returns the index of the call that ended the chain, or -1 when none did
// (a Windows without DPI scaling, or every call failed).
int BecomeDpiAware(const DpiCall calls[kDpiCalls], void* context);
