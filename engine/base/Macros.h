#pragma once

#include <new>

// The create convention of every Ref-derived class: construct, run init,
// hand the creator's reference to the autorelease pool, and answer null when
// init fails. Put it in the class body: `CREATE_FUNC(SaveScene);` (a class
// whose init takes arguments writes its own create, as FieldScene does).
// Never inlined: inlined, its null branch makes every `create()->...` at the
// call site a -Wnull-dereference error.
// TYPE names a type, which parentheses would break.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define CREATE_FUNC(TYPE)                                                                                    \
    [[gnu::noinline]] static TYPE* create() {                                                                \
        TYPE* object = new (std::nothrow) TYPE();                                                            \
        if (object && object->init()) {                                                                      \
            object->autorelease();                                                                           \
            return object;                                                                                   \
        }                                                                                                    \
        delete object;                                                                                       \
        return nullptr;                                                                                      \
    }
// NOLINTEND(bugprone-macro-parentheses)
