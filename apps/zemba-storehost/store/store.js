// The demo store. It talks to the host only through window.kzemba (the browser page's
// bridge): kzemba.call(method, args, callback) answers at once with the envelope, and
// later answers, callbacks and pushed events call the named function of this window.
// On load it runs its self-check once: every feature below, automatically, then it tells
// the host (the "storeHost" object, when the host publishes one) whether all passed.
(function () {
    'use strict';

    var store = window.store = { cb: {} };
    var origin = location.origin;
    var items = [];
    var downloads = {};
    var callCount = 0;

    function $(id) { return document.getElementById(id); }

    function resultOf(value) {
        return value && typeof value === 'object' && value.result !== undefined ? value.result : value;
    }

    function isFailure(answer) {
        return !!answer && typeof answer === 'object' && answer.callstatus === 'error';
    }

    function setStatus(text, error) {
        $('status').textContent = text;
        $('status').className = error ? 'error' : '';
    }

    // Every failure answer goes to the status line.
    function showFailure(method, detail) {
        var text = typeof detail === 'string' ? detail : JSON.stringify(detail);
        setStatus(method + ' failed: ' + text, true);
        return new Error(method + ': ' + text);
    }

    // A call whose synchronous answer is all there is.
    function call(method, args) {
        return kzemba.call(method, args).then(function (answer) {
            if (isFailure(answer))
                throw showFailure(method, answer.errormsg || answer);
            return answer;
        });
    }

    // A call whose answer comes later to a callback; resolves with the delivered value.
    function callLater(method, args, timeoutMs) {
        var name = 'c' + (++callCount);
        return new Promise(function (resolve, reject) {
            var timer = setTimeout(function () {
                delete store.cb[name];
                reject(showFailure(method, 'no answer in time'));
            }, timeoutMs || 15000);
            store.cb[name] = function (value) {
                clearTimeout(timer);
                delete store.cb[name];
                resolve(value);
            };
            // The JS API reads the callback's name from the arguments.
            args.callback = 'store.cb.' + name;
            kzemba.call(method, args, args.callback).then(function (answer) {
                if (!isFailure(answer))
                    return;
                clearTimeout(timer);
                delete store.cb[name];
                reject(showFailure(method, answer.errormsg || answer));
            });
        });
    }

    // An HTTP answer of httpGet, httpPost or httpDelete: its data when it went well.
    function httpData(method, value) {
        var answer = resultOf(value);
        if (!answer || answer.error_code !== '0')
            throw showFailure(method, answer);
        return answer.data;
    }

    // Catalogue and thumbnails.
    function loadCatalogue() {
        return callLater('httpGet', { url: origin + '/api/catalogue', type: 'json', timeout: 10000 })
            .then(function (value) {
                items = httpData('httpGet', value).items || [];
                renderCatalogue();
                return Promise.all(items.map(loadThumbnail));
            });
    }

    function renderCatalogue() {
        var grid = $('catalogue');
        grid.textContent = '';
        items.forEach(function (item) {
            var card = document.createElement('article');
            card.className = 'card';
            card.innerHTML = '<img alt=""><h3></h3><div class="type"></div><progress max="100" value="0"></progress>' +
                '<button>Insert</button><div class="path"></div>';
            card.querySelector('h3').textContent = item.name;
            card.querySelector('.type').textContent = item.type;
            card.querySelector('button').addEventListener('click', function () {
                insert(item).catch(function () {});
            });
            item.card = card;
            grid.appendChild(card);
        });
    }

    function loadThumbnail(item) {
        return callLater('httpGet', { url: item.thumbnail, type: 'text', timeout: 10000 }).then(function (svg) {
            if (typeof svg !== 'string' || svg.indexOf('<svg') < 0)
                throw showFailure('httpGet', 'thumbnail of ' + item.id + ' is not a picture');
            item.card.querySelector('img').src = 'data:image/svg+xml;charset=utf-8,' + encodeURIComponent(svg);
        });
    }

    function filterCatalogue(text) {
        var needle = text.trim().toLowerCase();
        var shown = 0;
        items.forEach(function (item) {
            var match = !needle || item.name.toLowerCase().indexOf(needle) >= 0 || item.type.indexOf(needle) >= 0;
            item.card.classList.toggle('hidden', !match);
            shown += match ? 1 : 0;
        });
        return shown;
    }

    // Insert: download and apply through the resource handlers, progress from pushed events.
    function insert(item) {
        var card = item.card;
        var button = card.querySelector('button');
        button.disabled = true;
        card.querySelector('progress').value = 0;
        return new Promise(function (resolve, reject) {
            var timer = setTimeout(function () { finish(showFailure('insertOnlineResource', item.id + ' did not finish')); }, 30000);
            function finish(error) {
                clearTimeout(timer);
                delete downloads[item.id];
                button.disabled = false;
                if (error)
                    reject(error);
                else
                    resolve();
            }
            downloads[item.id] = { card: card, finish: finish };
            call('insertOnlineResource', {
                resType: item.type,
                resInfo: { id: item.id, name: item.name, urls: [item.url], md5: item.md5 }
            }).catch(finish);
        }).then(function () {
            return call('common.plugin.getResourcePath', { resType: item.type, id: item.id });
        }).then(function (answer) {
            var record = resultOf(answer) || {};
            var path = record.path || (record.files && record.files[0]) || '';
            if (!path)
                throw showFailure('common.plugin.getResourcePath', answer);
            card.querySelector('.path').textContent = path;
            card.querySelector('progress').value = 100;
            return path;
        });
    }

    window.onDownloadProgress = function (value) {
        var info = resultOf(value) || {};
        var download = downloads[info.id];
        if (download)
            download.card.querySelector('progress').value = Number(info.percent) || 0;
    };
    window.onDownloadSuccess = function (value) {
        var download = downloads[(resultOf(value) || {}).id];
        if (download)
            download.finish();
    };
    window.onDownloadError = function (value) {
        var info = resultOf(value) || {};
        var download = downloads[info.id];
        if (download)
            download.finish(showFailure('insertOnlineResource', info));
    };

    // Assistant: an event stream through ssePost and sseRead.
    function ask(question) {
        var panel = $('assistant-text');
        panel.textContent = '';
        return call('ssePost', { url: origin + '/api/assistant', data: { question: question } }).then(function (answer) {
            var session = (resultOf(answer) || {}).session_id || (answer || {}).session_id;
            if (!session)
                throw showFailure('ssePost', answer);
            return new Promise(function (resolve, reject) {
                var timer = setTimeout(function () { reject(showFailure('sseRead', 'the stream did not end')); }, 15000);
                store.onStream = function (delivery) {
                    if (delivery.error !== undefined) {
                        clearTimeout(timer);
                        reject(showFailure('sseRead', delivery));
                    } else if (delivery.done) {
                        clearTimeout(timer);
                        resolve(panel.textContent);
                    } else if (delivery.event === 'message') {
                        panel.textContent += JSON.parse(delivery.data).text;
                    }
                };
                kzemba.call('sseRead', { session_id: session, callback: 'store.onStream' }, 'store.onStream');
            });
        }).then(function (text) {
            if (!text)
                throw showFailure('sseRead', 'no text arrived');
            return text;
        });
    }

    // Account.
    function refreshAccount() {
        return callLater('getUserAccountInfoState', { forceUpdate: true }).then(function (value) {
            var state = (resultOf(value) || {}).state;
            $('account-state').textContent = 'Account: ' + (state || 'unknown');
            if (!state || state === 'error')
                throw showFailure('getUserAccountInfoState', value);
            return state;
        });
    }

    // Feedback: encrypted with the store service's key, then posted.
    function sendFeedback(text) {
        return call('rsaAesEncrypt', { data: { feedback: text } }).then(function (answer) {
            var sealed = resultOf(answer) || {};
            if (sealed.encrypted !== 'ok')
                throw showFailure('rsaAesEncrypt', sealed);
            return callLater('httpPost', {
                url: origin + '/api/feedback', timeout: 10000,
                data: { kv: sealed.kv, sk: sealed.sk, len: sealed.len, en: sealed.en }
            });
        }).then(function (value) {
            if (!httpData('httpPost', value).received)
                throw showFailure('httpPost', value);
            $('feedback-state').textContent = 'Sent encrypted (' + new Date().toLocaleTimeString() + ').';
        });
    }

    function removeFavourite(id) {
        return callLater('httpDelete', { url: origin + '/api/favourites?id=' + encodeURIComponent(id), timeout: 10000 })
            .then(function (value) {
                if (!httpData('httpDelete', value).deleted)
                    throw showFailure('httpDelete', value);
            });
    }

    // Opening: a store page as a popup app, and the demo app.
    function openPage() {
        return call('openZembaPage', { openmode: 'popup', appId: 'zembademoapp', entry: origin + '/index.html#page' })
            .then(function (answer) {
                if (!answer || answer.result !== true)
                    throw showFailure('openZembaPage', answer);
                $('open-state').textContent = 'Store page opened.';
            });
    }

    function openApp() {
        return call('common.util.openApp', { appId: 'zembademoapp', src: 'zembastore' }).then(function (answer) {
            if ((resultOf(answer) || {}).status !== 'true')
                throw showFailure('common.util.openApp', answer);
            $('open-state').textContent = 'Demo app opened.';
        });
    }

    // A request the library must refuse: the refusal reaches the status line.
    function refusedRequest() {
        return kzemba.call('httpGet', { url: 'file:///etc/hostname', callback: 'store.cb.never' }).then(function (answer) {
            if (!isFailure(answer))
                throw showFailure('httpGet', 'a file URL was not refused');
            showFailure('httpGet', answer.errormsg);
        });
    }

    var checks = [
        ['catalogue and thumbnails', loadCatalogue],
        ['search', function () {
            $('search').value = 'invoice';
            var shown = filterCatalogue('invoice');
            $('search').value = '';
            filterCatalogue('');
            if (shown !== 1)
                throw showFailure('search', shown + ' results for "invoice"');
        }],
        ['insert a template', function () { return insert(items[0]); }],
        ['insert a picture', function () { return insert(items[2]); }],
        ['assistant stream', function () { return ask('Which template should I use?'); }],
        ['account state', refreshAccount],
        ['encrypted feedback', function () { return sendFeedback($('feedback-text').value); }],
        ['remove a favourite', function () { return removeFavourite(items[1].id); }],
        ['open a store page', openPage],
        ['open an app', openApp],
        ['refused request shown', refusedRequest],
    ];

    function addCheckLine(name, ok, error) {
        var line = document.createElement('li');
        line.className = ok ? 'ok' : 'fail';
        line.textContent = (ok ? '✓ ' : '✗ ') + name + (error ? ': ' + error.message : '');
        $('checks').appendChild(line);
    }

    function selfCheck() {
        var passed = [];
        var failed = [];
        return checks.reduce(function (previous, check) {
            return previous.then(function () {
                return Promise.resolve().then(check[1]).then(function () {
                    passed.push(check[0]);
                    addCheckLine(check[0], true);
                }, function (error) {
                    failed.push(check[0]);
                    addCheckLine(check[0], false, error);
                });
            });
        }, Promise.resolve()).then(function () {
            var ok = failed.length === 0;
            var summary = passed.length + '/' + checks.length + ' passed' +
                (ok ? '' : '; failed: ' + failed.join(', '));
            setStatus('Self-check ' + (ok ? 'passed' : 'FAILED') + ': ' + summary, !ok);
            return kzemba.ready.then(function (objects) {
                if (objects.storeHost)
                    objects.storeHost.report(ok, summary);
            });
        });
    }

    $('search').addEventListener('input', function (event) { filterCatalogue(event.target.value); });
    $('ask').addEventListener('click', function () { ask('What is new in the store?').catch(function () {}); });
    $('feedback').addEventListener('submit', function (event) {
        event.preventDefault();
        sendFeedback($('feedback-text').value).catch(function () {});
    });
    $('open-page').addEventListener('click', function () { openPage().catch(function () {}); });
    $('open-app').addEventListener('click', function () { openApp().catch(function () {}); });
    $('login').addEventListener('click', function () {
        call('login', { userid: '1001' }).then(refreshAccount).catch(function () {});
    });
    $('logout').addEventListener('click', function () {
        call('logout', {}).then(refreshAccount).catch(function () {});
    });

    kzemba.call('registPushUIEventHandler', { handler: 'store.onPush' });
    store.onPush = function (event) { setStatus('Event: ' + JSON.stringify(event)); };
    kzemba.call('onScriptReady').then(selfCheck);
})();
