# Applies ZT_SANITIZE to everything built after this point, libraries and tests alike.
if(ZT_SANITIZE)
  add_compile_options(-fsanitize=${ZT_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${ZT_SANITIZE})
endif()
