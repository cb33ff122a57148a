// Fills an official's web contact form from the user's contact details and
// letter.
//
// The program injects this script into every page of a walk, in a world of
// its own: the page's scripts cannot see or change it, and it shares only the
// document with them. It defines quorvaneForms.fill(values), which the
// program calls once a page has loaded and again on "Fill Again". `values`
// maps the keys of FIELD_RULES to lists of texts, the preferred text first
// and plainer or shorter forms of it after ("12345-6789", "123456789",
// "12345"); a key without texts is missing.
//
// It only ever types into fields and picks options. It never submits, never
// presses a button, never ticks a box, and leaves every field alone that no
// rule claims: topic choices, CAPTCHAs, anything it is not sure of. A field
// that already holds text the user (or the page) put there is kept; a field
// that still holds what an earlier fill put there is filled again.
(function () {
  'use strict';
  if (globalThis.quorvaneForms) {
    return;
  }

  // ------------------------------------------------------------------------
  // FIELD RULES. One row per kind of field, most specific first: a field
  // takes the first row that claims it. A row claims a field of one of its
  // `kinds` when the field's autocomplete attribute holds one of its
  // `autocomplete` tokens, or its input type is one of its `types`, or
  // `match` finds itself in one of the field's descriptions (its labels,
  // aria-label, name, id, placeholder, title, or the text in front of it),
  // unless `unless` finds itself in any of them, or the row names a key
  // `after` that no earlier field of the page was claimed for. Descriptions are compared in
  // lower case with every run of other characters turned into one blank and
  // word and digit runs split ("txtFirstName" -> "txt first name",
  // "zip4" -> "zip 4"). `key` names the values to fill; a row without a key
  // keeps the fields it claims empty. `pieces` names values for a field too
  // short for any text of `key` (a telephone number in three boxes, a ZIP
  // code in five plus four): each such field takes the next piece that fits.
  // ------------------------------------------------------------------------
  const TEXT = ['text'];
  const TEXT_OR_SELECT = ['text', 'select'];
  const TEXT_OR_AREA = ['text', 'textarea'];
  const FIELD_RULES = [
    // Left to the user.
    { key: null, kinds: ['text', 'textarea', 'select'],
      autocomplete: ['one-time-code', 'new-password', 'current-password'],
      match: /captcha|security code|verification code|verify (that )?you|not a robot|honeypot|leave (this )?(field )?(blank|empty)|password/ },
    { key: 'email', kinds: TEXT, autocomplete: ['email'], types: ['email'],
      match: /\be ?mail/ },
    { key: 'phone', kinds: TEXT, autocomplete: ['tel', 'tel-national'], types: ['tel'],
      match: /phone|\btel\b|\bmobile\b|\bcell\b/, unless: /\bfax\b/,
      pieces: ['phoneArea', 'phoneExchange', 'phoneLine'] },
    // "ZIP+4" alone means the whole code; after a ZIP field, the four.
    { key: 'zip4', kinds: TEXT, after: 'zip',
      match: /\b(zip|postal)( ?code)? ?(4|plus ?4|ext|extension|suffix|last 4)\b|\bplus ?4\b/ },
    { key: 'zip', kinds: TEXT, autocomplete: ['postal-code'],
      match: /\bzip|\bpostal|\bpost ?code/, pieces: ['zip5', 'zip4'] },
    { key: 'state', kinds: TEXT_OR_SELECT, autocomplete: ['address-level1'],
      match: /\bstate\b|\bstatecode\b|\bprovince\b/ },
    { key: 'city', kinds: TEXT, autocomplete: ['address-level2'],
      match: /\bcity|\btown\b/ },
    { key: 'street2', kinds: TEXT, autocomplete: ['address-line2'],
      match: /\b(address|addr|street)( ?line)? ?2\b|\bapt\b|\bapartment\b|\bsuite\b|\bunit\b/ },
    { key: 'street1', kinds: TEXT_OR_AREA, autocomplete: ['address-line1', 'street-address'],
      match: /address|\baddr\b|\bstreet/, unless: /\be ?mail|\bweb\b|\bip\b|\burl\b/ },
    { key: 'prefix', kinds: TEXT_OR_SELECT, autocomplete: ['honorific-prefix'],
      match: /prefix|salutation|honorific|\btitle\b/, unless: /\bjob\b|\bposition\b|subject|message/ },
    { key: 'suffix', kinds: TEXT_OR_SELECT, autocomplete: ['honorific-suffix'],
      match: /suffix/ },
    { key: 'firstName', kinds: TEXT, autocomplete: ['given-name'],
      match: /\bfirst|\bgiven|\bfname\b|\bforename/ },
    { key: 'middleName', kinds: TEXT, autocomplete: ['additional-name'],
      match: /\bmiddle|\bmi\b|\bmname\b/ },
    { key: 'lastName', kinds: TEXT, autocomplete: ['family-name'],
      match: /\blast|\bsurname|\bfamily|\blname\b/ },
    { key: 'fullName', kinds: TEXT, autocomplete: ['name'],
      match: /\bname\b|\bfullname\b|\byourname\b/,
      unless: /\buser|company|organi[sz]ation|business|\bfile|\bscreen|\bnick/ },
    { key: 'subject', kinds: TEXT,
      match: /\bsubject\b|\bre\b|\b(message|letter|email) title\b/ },
    { key: 'message', kinds: ['textarea'],
      match: /message|comment|\bbody\b|\bletter\b|question|concern|\bmsg\b|feedback|your thoughts/ },
  ];

  // The text area that no rule claims takes the message when it is the
  // page's only one.
  const LONE_TEXT_AREA_KEY = 'message';

  // Highlights: what was filled, and required fields still empty.
  const FILLED_STYLE = { outline: '3px solid #2e7d32', background: '#e6f4e6' };
  const MISSING_STYLE = { outline: '3px solid #c62828', background: '#fdeaea' };

  // A required field is one that says so, or whose label carries an
  // asterisk or the word "required".
  const REQUIRED_LABEL = /\*|\brequired\b/i;
  // A select still showing its prompt counts as empty.
  const PROMPT_OPTION = /^\W*$|^\s*-+|select|choose|please/i;

  // ------------------------------------------------------------------------

  const TEXT_TYPES = new Set(['', 'text', 'email', 'tel', 'search', 'url', 'number']);
  const BUTTON_TYPES = new Set(['submit', 'button', 'reset', 'image']);

  // What an earlier fill of this page put in each field, and the inline
  // styles a highlight replaced.
  const ourValues = new WeakMap();
  const savedStyles = new Map();

  function words(text) {
    return String(text || '')
      .replace(/([a-z])([A-Z])/g, '$1 $2')
      .replace(/([A-Za-z])([0-9])/g, '$1 $2')
      .replace(/([0-9])([A-Za-z])/g, '$1 $2')
      .toLowerCase()
      .replace(/[^a-z0-9]+/g, ' ')
      .trim();
  }

  function folded(text) {
    return String(text || '').toLowerCase().replace(/[^a-z0-9]+/g, '');
  }

  function kindOf(el) {
    if (el.disabled || el.readOnly) {
      return null;
    }
    if (el.tagName === 'TEXTAREA') {
      return 'textarea';
    }
    if (el.tagName === 'SELECT') {
      return el.multiple ? null : 'select';
    }
    return TEXT_TYPES.has(el.type) ? 'text' : null;
  }

  function isVisible(el) {
    if (el.type === 'hidden' || el.getClientRects().length === 0) {
      return false;
    }
    const style = getComputedStyle(el);
    if (style.visibility === 'hidden' || style.visibility === 'collapse') {
      return false;
    }
    // Fields moved out of sight are traps for robots.
    const box = el.getBoundingClientRect();
    return box.right + window.scrollX > 0 && box.bottom + window.scrollY > 0;
  }

  // A label's own words, without the options or values of fields inside it.
  function labelText(label) {
    const copy = label.cloneNode(true);
    copy.querySelectorAll('input, select, textarea, button').forEach((f) => f.remove());
    return copy.textContent;
  }

  function labelsOf(el) {
    const texts = Array.from(el.labels || [], labelText);
    const aria = el.getAttribute('aria-label');
    if (aria) {
      texts.push(aria);
    }
    for (const id of (el.getAttribute('aria-labelledby') || '').split(/\s+/)) {
      const ref = id && document.getElementById(id);
      if (ref) {
        texts.push(ref.textContent);
      }
    }
    return texts;
  }

  // The text in front of a field that has no label: a neighbour, or the
  // previous cell of its table row. Stops at another field.
  function textBefore(el) {
    let node = el;
    for (let depth = 0; depth < 2 && node && node !== document.body; depth++) {
      for (let sibling = node.previousSibling; sibling; sibling = sibling.previousSibling) {
        if (sibling.nodeType === Node.ELEMENT_NODE &&
            (sibling.matches('input, select, textarea, button') ||
             sibling.querySelector('input, select, textarea, button'))) {
          return '';
        }
        const text = (sibling.textContent || '').trim();
        if (text) {
          return text.length <= 80 ? text : '';
        }
      }
      node = node.parentElement;
      if (node && node.tagName === 'FORM') {
        break;
      }
    }
    return '';
  }

  function descriptionsOf(el) {
    const labels = labelsOf(el);
    const texts = labels.concat([el.name, el.id, el.getAttribute('placeholder'),
                                 el.getAttribute('title')]);
    if (labels.length === 0) {
      texts.push(textBefore(el));
    }
    return texts.map(words).filter((t) => t !== '');
  }

  function ruleFor(el, kind, keysBefore) {
    const tokens = (el.getAttribute('autocomplete') || '').toLowerCase().split(/\s+/);
    const texts = descriptionsOf(el);
    for (const rule of FIELD_RULES) {
      if (!rule.kinds.includes(kind) || (rule.after && !keysBefore.has(rule.after))) {
        continue;
      }
      if (rule.unless && texts.some((t) => rule.unless.test(t))) {
        continue;
      }
      if ((rule.autocomplete || []).some((token) => tokens.includes(token)) ||
          (rule.types || []).includes(el.type) ||
          texts.some((t) => rule.match.test(t))) {
        return rule;
      }
    }
    return null;
  }

  function isRequired(el) {
    return el.required || el.getAttribute('aria-required') === 'true' ||
        Array.from(el.labels || []).some((l) => REQUIRED_LABEL.test(labelText(l)));
  }

  function initialIndex(select) {
    let index = 0;
    Array.from(select.options).forEach((option, i) => {
      if (option.defaultSelected) {
        index = i;
      }
    });
    return index;
  }

  function isEmpty(el) {
    if (el.tagName === 'SELECT') {
      const option = el.options[el.selectedIndex];
      return !option || option.value === '' ||
          (el.selectedIndex === 0 && PROMPT_OPTION.test(option.text));
    }
    return el.value.trim() === '';
  }

  // Whether a fill may write the field: it still holds what the page gave it
  // or what an earlier fill put there.
  function isOurs(el) {
    if (ourValues.has(el) && ourValues.get(el) === el.value) {
      return true;
    }
    if (el.tagName === 'SELECT') {
      return el.selectedIndex === initialIndex(el);
    }
    return el.value === '';
  }

  function optionFor(select, texts) {
    for (const text of texts) {
      const wanted = folded(text);
      for (const option of select.options) {
        if (!option.disabled && (folded(option.value) === wanted || folded(option.text) === wanted)) {
          return option;
        }
      }
    }
    return null;
  }

  function fits(el, text) {
    if (el.maxLength > 0 && text.length > el.maxLength) {
      return false;
    }
    if (el.tagName === 'TEXTAREA') {
      return true;
    }
    const before = el.value;
    el.value = text;
    const ok = el.value === text && !el.validity.patternMismatch && !el.validity.typeMismatch;
    el.value = before;
    return ok;
  }

  // Sets the value as typing would, so that the page's own scripts see it.
  function setValue(el, text) {
    if (el.value === text) {
      return;
    }
    const proto = el.tagName === 'TEXTAREA' ? HTMLTextAreaElement.prototype
        : el.tagName === 'SELECT' ? HTMLSelectElement.prototype : HTMLInputElement.prototype;
    Object.getOwnPropertyDescriptor(proto, 'value').set.call(el, text);
    el.dispatchEvent(new Event('input', { bubbles: true }));
    el.dispatchEvent(new Event('change', { bubbles: true }));
  }

  // The text the field takes for `rule`, or null.
  function textFor(el, rule, values, piecesUsed) {
    const texts = values[rule.key] || [];
    if (el.tagName === 'SELECT') {
      const option = optionFor(el, texts);
      return option ? option.value : null;
    }
    const whole = texts.find((t) => fits(el, t));
    if (whole !== undefined) {
      return whole;
    }
    for (const piece of rule.pieces || []) {
      const text = (values[piece] || [])[0];
      if (text !== undefined && !piecesUsed.has(piece) && fits(el, text)) {
        piecesUsed.add(piece);
        return text;
      }
    }
    return null;
  }

  function highlight(el, style) {
    if (!savedStyles.has(el)) {
      savedStyles.set(el, {
        outline: [el.style.getPropertyValue('outline'), el.style.getPropertyPriority('outline')],
        background: [el.style.getPropertyValue('background-color'),
                     el.style.getPropertyPriority('background-color')],
      });
    }
    el.style.setProperty('outline', style.outline, 'important');
    el.style.setProperty('background-color', style.background, 'important');
  }

  function clearHighlights() {
    for (const [el, saved] of savedStyles) {
      el.style.setProperty('outline', saved.outline[0], saved.outline[1]);
      el.style.setProperty('background-color', saved.background[0], saved.background[1]);
    }
    savedStyles.clear();
  }

  // Every field of the page by its key, with radio buttons and check boxes
  // of one name as one group.
  function fieldsOf() {
    const entries = [];
    const byKey = new Map();
    const counts = new Map();
    for (const el of document.querySelectorAll('input, select, textarea')) {
      if (BUTTON_TYPES.has(el.type)) {
        continue;
      }
      const name = el.name || el.id;
      if (!name) {
        continue;
      }
      const grouped = el.type === 'radio' || el.type === 'checkbox';
      const group = grouped && byKey.get(name);
      if (group && group.grouped) {
        group.elements.push(el);
        continue;
      }
      const count = (counts.get(name) || 0) + 1;
      counts.set(name, count);
      const entry = { key: count === 1 ? name : name + '#' + count, grouped, elements: [el] };
      if (count === 1) {
        byKey.set(name, entry);
      }
      entries.push(entry);
    }
    return entries;
  }

  function valueOf(entry) {
    if (entry.grouped) {
      return entry.elements.filter((e) => e.checked).map((e) => e.value).join(',');
    }
    const el = entry.elements[0];
    if (el.tagName === 'SELECT' && el.multiple) {
      return Array.from(el.selectedOptions, (o) => o.value).join(',');
    }
    return el.value;
  }

  function fill(values) {
    clearHighlights();
    const entries = fieldsOf();
    const filled = [];
    const piecesUsed = new Map();

    function fillField(entry, el, rule) {
      if (!piecesUsed.has(rule)) {
        piecesUsed.set(rule, new Set());
      }
      if (!isOurs(el)) {
        return;
      }
      const text = textFor(el, rule, values, piecesUsed.get(rule));
      if (text === null) {
        return;
      }
      setValue(el, text);
      ourValues.set(el, el.value);
      highlight(el, FILLED_STYLE);
      filled.push(entry.key);
    }

    const areas = [];
    const keysBefore = new Set();
    for (const entry of entries) {
      const el = entry.elements[0];
      const kind = entry.grouped ? null : kindOf(el);
      if (!kind || !isVisible(el)) {
        continue;
      }
      const rule = ruleFor(el, kind, keysBefore);
      if (rule) {
        keysBefore.add(rule.key);
        if (rule.key) {
          fillField(entry, el, rule);
        }
      } else if (kind === 'textarea') {
        areas.push(entry);
      }
    }
    const allAreas = entries.filter((e) => kindOf(e.elements[0]) === 'textarea' &&
                                           isVisible(e.elements[0]));
    if (allAreas.length === 1 && areas.length === 1) {
      const lone = FIELD_RULES.find((r) => r.key === LONE_TEXT_AREA_KEY);
      fillField(areas[0], areas[0].elements[0], lone);
    }

    const unfilledRequired = [];
    for (const entry of entries) {
      const shown = entry.elements.filter((e) => !e.disabled && isVisible(e));
      if (shown.length === 0 || !shown.some(isRequired)) {
        continue;
      }
      const empty = entry.grouped ? !entry.elements.some((e) => e.checked) : isEmpty(shown[0]);
      if (empty) {
        unfilledRequired.push(entry.key);
        shown.forEach((e) => highlight(e, MISSING_STYLE));
      }
    }

    return {
      fields: entries.map((e) => [e.key, valueOf(e)]),
      filled: filled,
      unfilledRequired: unfilledRequired,
    };
  }

  globalThis.quorvaneForms = { fill: fill };
})();
