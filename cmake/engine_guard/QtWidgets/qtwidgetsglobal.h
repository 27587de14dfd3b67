// Every QtWidgets header includes this file first. The engine library puts this
// folder ahead of Qt's on its include path, so any use of QtWidgets in the engine
// stops the build here: the engine must run headless with Qt Core and Qt Gui only.
#error "inkora_engine must not include QtWidgets headers; put widget code in inkora_forms"
