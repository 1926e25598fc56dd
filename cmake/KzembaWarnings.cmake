# Compiler flags shared by every target of the tree.
add_compile_options(-Wall -Wextra)
if(KZEMBA_WERROR)
    add_compile_options(-Werror)
endif()

if(KZEMBA_SANITIZE)
    # Plug-ins are loaded into the same process, so everything is instrumented alike.
    set(_kzemba_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_compile_options(${_kzemba_san})
    add_link_options(${_kzemba_san})
endif()
