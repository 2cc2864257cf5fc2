// Module names, type names and native signature texts of the host toolkit.
// A native function is exported as a capsule named by its signature text, and
// an importer refuses any other name, so these strings are part of the ABI.
#pragma once

namespace zuvo::zvhost {

inline constexpr const char* kVtableKey = "__pyx_vtable__";
inline constexpr const char* kCapiKey = "__pyx_capi__";

inline constexpr const char* kVector2Module = "zuvo_ui.fast.zvvector2.zvvector2";
inline constexpr const char* kRectModule = "zuvo_ui.fast.zvrect.zvrect";
inline constexpr const char* kParamModule = "zuvo_ui.fast.zvparam.zvparam";
inline constexpr const char* kCacheModule = "zuvo_ui.fast.zuvocache.zuvocache";
inline constexpr const char* kCobjectModule = "zuvo_ui.fast.zuvocobj.zuvocobj";
inline constexpr const char* kSystemModule = "zuvo_ui.fast.zsystem.fast_zsystem";
inline constexpr const char* kRenderTextureModule = "zuvo_ui.fast.zvrendertex.zv_render_tex";
inline constexpr const char* kShaderModule = "zuvo_ui.fast.zvshader.zvshader";
inline constexpr const char* kLogicModule = "zuvo_ui.fast.logic.fast_logic";
inline constexpr const char* kRaylibModule = "zuvo_ui.fast.raylib.zuvo_raylib";

inline constexpr const char* kColorModule = "zuvo_ui.presentation.color";
inline constexpr const char* kStateModule = "zuvo_ui.core.state";

namespace signature {
inline constexpr const char* get_item_abs_coords =
    "struct __pyx_obj_7zuvo_ui_4fast_9zvvector2_9zvvector2_ZvVector2 *(struct "
    "__pyx_obj_7zuvo_ui_4fast_8zuvocobj_8zuvocobj_ZuvoCobject *, struct "
    "__pyx_obj_7zuvo_ui_4fast_8zuvocobj_8zuvocobj_ZuvoCobject *)";
inline constexpr const char* begin_texture_mode = "void (PyObject *, int __pyx_skip_dispatch)";
inline constexpr const char* end_blend_mode = "void (int __pyx_skip_dispatch)";
inline constexpr const char* end_texture_mode = "void (int __pyx_skip_dispatch)";
inline constexpr const char* begin_blend_mode = "void (int, int __pyx_skip_dispatch)";
inline constexpr const char* c_clear_background_blank = "void (void)";
}  // namespace signature

}  // namespace zuvo::zvhost
