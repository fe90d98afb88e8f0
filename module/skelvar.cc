// The skelvar extension module.
//
// Loading the module file registers the protocol files: the static
// initialiser of every generated source adds its file to the runtime's
// generated pool and factory, imports first, in link order. Initialising
// the module then only creates an empty module object.
#include <Python.h>

static_assert(PYTHON_API_VERSION == 1013, "built against an unexpected C API");

namespace {

PyMethodDef no_methods[] = {
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef skelvar_module = {
    PyModuleDef_HEAD_INIT,
    "skelvar",
    nullptr,  // no documentation
    -1,       // state lives in globals; no sub-interpreter support
    no_methods,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace

PyMODINIT_FUNC PyInit_skelvar(void) {
  return PyModule_Create2(&skelvar_module, PYTHON_API_VERSION);
}
