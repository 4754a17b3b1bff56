// A module whose debug record names its PDB, for the module description test: linked like the
// product's modules, plus the PDB name that makes the record full-size.
extern "C" __declspec(dllexport) int ProbeFunction() {
    return 1;
}
