# KALVOR_SANITIZE=ON builds everything with AddressSanitizer and UndefinedBehaviorSanitizer;
# any report ends the process with an error, so a test that triggers one fails.
option(KALVOR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(KALVOR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
