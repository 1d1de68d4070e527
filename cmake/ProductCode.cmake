# Product code, the libraries of PLUGWARD.DLL and the module itself, reports
# every failure by a result code and is compiled without C++ exceptions and
# without the unwind tables only they would need (product_code). snapinctl,
# the host stand-ins and the tests keep exceptions: they link the same
# libraries and hand them no callback, so nothing ever unwinds through them.
function(product_code target)
  target_compile_options(${target} PRIVATE -fno-exceptions -fno-asynchronous-unwind-tables)
endfunction()
