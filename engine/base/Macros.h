#pragma once

#include <new>

// The create convention of every Ref-derived class: construct, run init,
// hand the creator's reference to the autorelease pool, and answer null when
// init fails. Put it in the class body: `CREATE_FUNC(FieldScene);`.
#define CREATE_FUNC(TYPE)                                                                                    \
    static TYPE* create() {                                                                                  \
        TYPE* object = new (std::nothrow) TYPE();                                                            \
        if (object && object->init()) {                                                                      \
            object->autorelease();                                                                           \
            return object;                                                                                   \
        }                                                                                                    \
        delete object;                                                                                       \
        return nullptr;                                                                                      \
    }
