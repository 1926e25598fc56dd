// The store page's side of the native bridge, injected before any script of the
// page runs. It gives the page `window.kzemba`:
//   kzemba.ready                         a promise, resolved once the bridge is connected, with
//                                        the objects the host publishes on the page's channel
//   kzemba.call(method, args, callback)  calls a JS API method with an argument object and an
//                                        optional callback name; resolves to the synchronous answer
// Later answers, callbacks and pushed events call the named function of the page's window
// (a dotted path such as "store.onEvent") with the JSON value. A name is only ever looked
// up as a path of identifiers; nothing received is evaluated as script.
(function () {
    'use strict';
    if (window.kzemba)
        return;

    var RAW_CALLBACK = 1;
    var identifier = /^[A-Za-z_$][A-Za-z0-9_$]*$/;

    function resolveFunction(name) {
        if (typeof name !== 'string' || name.length === 0 || name.length > 256)
            return null;
        var parts = name.split('.');
        var owner = null;
        var target = window;
        for (var i = 0; i < parts.length; ++i) {
            if (!identifier.test(parts[i]) || target === null || target === undefined)
                return null;
            owner = target;
            target = target[parts[i]];
        }
        return typeof target === 'function' ? { fn: target, owner: owner } : null;
    }

    function parse(text) {
        if (text === '')
            return undefined;
        try {
            return JSON.parse(text);
        } catch (e) {
            return text;
        }
    }

    function deliver(kind, name, text) {
        var target = resolveFunction(name);
        if (!target)
            return;
        var value = kind === RAW_CALLBACK ? text : parse(text);
        try {
            target.fn.call(target.owner, value);
        } catch (e) {
            console.error('kzemba: ' + name + ' failed: ' + e);
        }
    }

    function inject(objectName, properties) {
        if (!identifier.test(objectName))
            return;
        var object = window[objectName];
        if (object === null || (typeof object !== 'object' && typeof object !== 'function'))
            object = window[objectName] = {};
        Object.keys(properties).forEach(function (key) { object[key] = properties[key]; });
    }

    var bridge = null;
    var ready = new Promise(function (resolveReady) {
        var tries = 0;
        function connect() {
            if (!window.qt || !window.qt.webChannelTransport) {
                // The transport may come a moment after the document.
                if (++tries < 200)
                    setTimeout(connect, 5);
                return;
            }
            new QWebChannel(window.qt.webChannelTransport, function (channel) {
                bridge = channel.objects.kzembaBridge;
                bridge.delivered.connect(deliver);
                bridge.propertiesInjected.connect(inject);
                bridge.attach();
                resolveReady(Object.freeze(Object.assign({}, channel.objects)));
            });
        }
        connect();
    });

    function call(method, args, callback) {
        return ready.then(function () {
            return new Promise(function (resolveCall) {
                var argsText = args === undefined || args === null ? '' : JSON.stringify(args);
                bridge.call(String(method), argsText, callback ? String(callback) : '', function (replyText) {
                    var reply = parse(replyText);
                    resolveCall(reply && reply.answer !== undefined ? reply.answer : null);
                });
            });
        });
    }

    Object.defineProperty(window, 'kzemba', {
        value: Object.freeze({ ready: ready, call: call }),
        writable: false,
        configurable: false
    });
})();
