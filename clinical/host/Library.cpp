// libkadrix_clinical.so is the core library with only the host interface exported (exports.map);
// the library's main block is empty.
