# Builds the XQuery engine's script: npm installs the pinned packages into the
# build folder, esbuild bundles them with our entry script into one file that
# Qt's JavaScript engine can load, and the file is embedded as a Qt resource
# named tm_xquery_bundle.
find_program(TM_NPM_EXECUTABLE npm REQUIRED)
find_program(TM_ESBUILD_EXECUTABLE esbuild REQUIRED)

set(tm_xq_js_source ${CMAKE_CURRENT_SOURCE_DIR}/xquery/js)
set(tm_xq_js_build ${CMAKE_CURRENT_BINARY_DIR}/xquery-js)
set(tm_xq_npm_stamp ${tm_xq_js_build}/npm-ci.stamp)
set(tm_xq_bundle ${tm_xq_js_build}/xquery-bundle.js)

# node_modules stays in the build folder; the stamp reruns npm only when the
# package files change. Packages already in npm's cache are not fetched again,
# so a rebuild works offline.
add_custom_command(
  OUTPUT ${tm_xq_npm_stamp}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${tm_xq_js_build}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
          ${tm_xq_js_source}/package.json ${tm_xq_js_source}/package-lock.json ${tm_xq_js_build}
  COMMAND ${TM_NPM_EXECUTABLE} ci --prefer-offline --ignore-scripts --no-audit --no-fund --loglevel=error
  COMMAND ${CMAKE_COMMAND} -E touch ${tm_xq_npm_stamp}
  WORKING_DIRECTORY ${tm_xq_js_build}
  DEPENDS ${tm_xq_js_source}/package.json ${tm_xq_js_source}/package-lock.json
  COMMENT "Installing the XQuery engine's npm packages"
  VERBATIM)

# Qt 6.4's JavaScript engine lacks newer syntax (||=, async functions, class
# fields) and misparses function expressions inside template literals, so the
# bundle is lowered to ES2016 without template literals.
set(tm_xq_js_scripts ${tm_xq_js_source}/entry.js ${tm_xq_js_source}/shims.js)
add_custom_command(
  OUTPUT ${tm_xq_bundle}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${tm_xq_js_scripts} ${tm_xq_js_build}
  COMMAND ${TM_ESBUILD_EXECUTABLE} entry.js --bundle --format=iife --global-name=TollmarshXQuery
          --target=es2016 --supported:template-literal=false --main-fields=module,main --minify
          --log-level=warning --outfile=${tm_xq_bundle}
  WORKING_DIRECTORY ${tm_xq_js_build}
  DEPENDS ${tm_xq_npm_stamp} ${tm_xq_js_scripts}
  COMMENT "Bundling the XQuery engine's script"
  VERBATIM)

# The resource is compiled into the library's own sources (not a separate
# object library) and registered by name in the code, so it reaches every
# program that links the library, directly or through tm_xmlquery.
set(tm_xq_qrc ${tm_xq_js_build}/tm_xquery_bundle.qrc)
file(WRITE ${tm_xq_qrc}.in
  "<RCC><qresource prefix=\"/tollmarsh/xquery\"><file alias=\"xquery-bundle.js\">${tm_xq_bundle}</file></qresource></RCC>\n")
configure_file(${tm_xq_qrc}.in ${tm_xq_qrc} COPYONLY)
set_source_files_properties(${tm_xq_bundle} PROPERTIES GENERATED TRUE)
qt_add_resources(tm_xq_rcc_sources ${tm_xq_qrc})
target_sources(tm_xq_xquery PRIVATE ${tm_xq_rcc_sources})
