// SPDX-License-Identifier: MIT
#pragma once

// Owning handles for the GLib-family objects the backend touches, so that nothing is released by hand.

#include <glib-object.h>
#include <glib.h>

#include <memory>

namespace ondrel::atspi {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
using GCharPtr = std::unique_ptr<gchar, GFree>;

struct GArrayUnref {
    void operator()(GArray* array) const { g_array_unref(array); }
};
using GArrayPtr = std::unique_ptr<GArray, GArrayUnref>;

struct GHashTableUnref {
    void operator()(GHashTable* table) const { g_hash_table_unref(table); }
};

struct GVariantUnref {
    void operator()(GVariant* variant) const { g_variant_unref(variant); }
};
using GVariantPtr = std::unique_ptr<GVariant, GVariantUnref>;

}  // namespace ondrel::atspi
