# Warnings every target of ours builds with; kept clean, not silenced.
function(kalvor_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Wcast-align -Woverloaded-virtual)
  if(KALVOR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
